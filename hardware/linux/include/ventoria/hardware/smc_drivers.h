#pragma once
// The Linux kernel's drivers for a Mac's SMC, and where each puts its files under /sys: the
// applesmc platform device on Intel Macs, the same driver under ACPI on T2 Macs (t2linux
// kernels), and macsmc_hwmon's hwmon device on Apple silicon (Asahi). They are found by the
// driver's own path or name, never by an hwmon number, which changes when a driver reloads.

#include <filesystem>
#include <optional>
#include <string_view>

namespace ventoria::hardware {

enum class SMCDriver { applesmc, applesmcT2, macsmc };

// "applesmc", "applesmc (T2)", "macsmc_hwmon"
std::string_view driverName(SMCDriver driver);

// Where the kernel's sysfs is: /sys under the system root.
std::filesystem::path sysfsRoot();
// The fans are reached through the kernel's files, not the SMC: the system root has a sysfs
// (a real machine, or the virtual driver's), whether or not a driver is loaded in it now.
bool fansThroughSysfs();

// The first of the drivers the machine has loaded, in the order above.
std::optional<SMCDriver> findSMCDriver(const std::filesystem::path& sys);
// The folder of `driver`'s fan and temperature files, when it is loaded.
std::optional<std::filesystem::path> driverFolder(const std::filesystem::path& sys,
                                                  SMCDriver driver);
// The hwmon device whose "name" is `name` ("coretemp"), when there is one.
std::optional<std::filesystem::path> hwmonNamed(const std::filesystem::path& sys,
                                                std::string_view name);

}  // namespace ventoria::hardware
