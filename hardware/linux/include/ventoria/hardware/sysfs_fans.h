#pragma once
// The fans through a kernel driver's files: "fan<N>_input", "_min", "_max" for fan N-1, the
// target in "_output" (applesmc) or "_target" (macsmc_hwmon), and applesmc's "_manual".
// macsmc_hwmon has no mode file: whether a fan is forced cannot be read there.

#include <cstdint>
#include <memory>
#include <string>

#include "ventoria/hardware/driver_files.h"
#include "ventoria/hardware/fan_port.h"

namespace ventoria::hardware {

class SysfsFans : public virtual FanPort {
  public:
    explicit SysfsFans(std::shared_ptr<DriverFiles> files) : files_(std::move(files)) {}

    // The fans numbered from 1 without a gap; nothing while no driver is loaded.
    std::optional<int> fanCount() override;
    std::optional<double> speed(int id) override { return value(id, "input"); }
    std::optional<double> minimum(int id) override { return value(id, "min"); }
    std::optional<double> maximum(int id) override { return value(id, "max"); }
    std::optional<double> target(int id) override { return value(id, targetFile()); }
    // applesmc's "_manual"; never known on macsmc_hwmon.
    std::optional<bool> mode(int id) override;
    bool modeReadable() const override { return files_->driver != SMCDriver::macsmc; }
    std::string unavailable() override;
    // Reads and writes of the driver's files so far, by every port that shares them.
    std::uint64_t fileCalls() const { return files_->device.calls(); }

  protected:
    // "fan1_output" for fan 0's "output".
    static std::string attribute(int id, const char* suffix);
    const char* targetFile() const;
    std::optional<double> value(int id, const char* suffix);

    std::shared_ptr<DriverFiles> files_;
};

}  // namespace ventoria::hardware
