// SMC values as the kernel hands them over: a four-character type, then the key's bytes.
// The reader's decoder and the virtual Mac's must agree wherever both know the type.

#include <cmath>
#include <cstdint>
#include <span>
#include <string_view>

#include "ventoria/hardware/smc_codec.h"
#include "ventoria/sim/value_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::string_view type(reinterpret_cast<const char*>(data), 4);
    std::span bytes(data + 4, size - 4);
    double read = ventoria::hardware::decode(bytes, type);
    auto simulated = ventoria::sim::decodeValue(type, bytes);
    if (simulated && !(std::isnan(read) && std::isnan(*simulated)) && read != *simulated) {
        __builtin_trap();
    }
    ventoria::hardware::keyString(ventoria::hardware::fourCharCode(type));
    return 0;
}
