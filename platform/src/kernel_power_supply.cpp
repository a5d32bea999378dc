#include "ventoria/platform/kernel_power_supply.h"

#include <fstream>
#include <string>
#include <system_error>

namespace ventoria::platform {
namespace {

std::string firstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::optional<bool> kernelOnBattery(const std::filesystem::path& classDirectory) {
    std::error_code error;
    bool battery = false;
    for (const auto& supply : std::filesystem::directory_iterator(classDirectory, error)) {
        // A wireless mouse's or keyboard's battery says nothing of what the Mac runs on.
        if (firstLine(supply.path() / "scope") == "Device") continue;
        auto type = firstLine(supply.path() / "type");
        if (type == "Mains" || type == "USB") {
            if (firstLine(supply.path() / "online") == "1") return false;
        } else if (type == "Battery" && firstLine(supply.path() / "present") != "0") {
            battery = true;
        }
    }
    return battery ? std::optional(true) : std::nullopt;
}

}  // namespace ventoria::platform
