// Smart records as the helper and the application read them from the wire and from settings.

#include <cstdint>
#include <string_view>

#include "ventoria/smart/smart_records.h"

using namespace ventoria::smart;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto settings = decodeSmartSettings(text)) {
        auto encoded = encode(*settings);
        if (!encoded || decodeSmartSettings(*encoded) != settings) __builtin_trap();
    }
    if (auto status = decodeSmartStatus(text)) {
        // A level beyond what a double holds exactly may not survive, but a finite one must.
        if (auto encoded = encode(*status); encoded && !decodeSmartStatus(*encoded)) {
            __builtin_trap();
        }
    }
    return 0;
}
