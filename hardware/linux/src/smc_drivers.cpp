#include "ventoria/hardware/smc_drivers.h"

#include <fstream>
#include <string>
#include <system_error>

#include "ventoria/platform/system_root.h"

namespace ventoria::hardware {
namespace {

constexpr std::string_view kMacSMCName = "macsmc_hwmon";

std::filesystem::path platformFolder(const std::filesystem::path& sys, SMCDriver driver) {
    return driver == SMCDriver::applesmc ? sys / "devices/platform/applesmc.768"
                                         : sys / "bus/acpi/devices/APP0001:00";
}

bool present(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

}  // namespace

std::string_view driverName(SMCDriver driver) {
    switch (driver) {
        case SMCDriver::applesmc:
            return "applesmc";
        case SMCDriver::applesmcT2:
            return "applesmc (T2)";
        case SMCDriver::macsmc:
            return kMacSMCName;
    }
    return {};
}

std::filesystem::path sysfsRoot() {
    return platform::systemPath("/sys");
}

bool fansThroughSysfs() {
    std::error_code error;
    return std::filesystem::is_directory(sysfsRoot(), error);
}

std::optional<std::filesystem::path> hwmonNamed(const std::filesystem::path& sys,
                                                std::string_view name) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(sys / "class/hwmon", error)) {
        std::ifstream file(entry.path() / "name");
        std::string found;
        if (std::getline(file, found) && found == name) return entry.path();
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> driverFolder(const std::filesystem::path& sys,
                                                  SMCDriver driver) {
    if (driver == SMCDriver::macsmc) return hwmonNamed(sys, kMacSMCName);
    // applesmc's hwmon device carries nothing: its files are the platform device's own.
    auto folder = platformFolder(sys, driver);
    if (present(folder / "fan1_input") || present(folder / "temp1_input")) return folder;
    return std::nullopt;
}

std::optional<SMCDriver> findSMCDriver(const std::filesystem::path& sys) {
    for (auto driver : {SMCDriver::applesmc, SMCDriver::applesmcT2, SMCDriver::macsmc}) {
        if (driverFolder(sys, driver)) return driver;
    }
    return std::nullopt;
}

}  // namespace ventoria::hardware
