#pragma once
// The SMC driver's files, shared by the fan and temperature ports of one machine: which
// driver it is (found once, and kept when the driver reloads) and its folder.

#include <filesystem>
#include <optional>

#include "ventoria/hardware/smc_drivers.h"
#include "ventoria/hardware/sysfs_device.h"

namespace ventoria::hardware {

struct DriverFiles {
    explicit DriverFiles(std::filesystem::path sysfs)
        : sys(std::move(sysfs)), device([this]() -> std::optional<std::filesystem::path> {
              if (!driver) driver = findSMCDriver(sys);
              return driver ? driverFolder(sys, *driver) : std::nullopt;
          }) {
        device.folder();
    }
    DriverFiles(const DriverFiles&) = delete;
    DriverFiles& operator=(const DriverFiles&) = delete;

    const std::filesystem::path sys;
    std::optional<SMCDriver> driver;
    SysfsDevice device;
};

}  // namespace ventoria::hardware
