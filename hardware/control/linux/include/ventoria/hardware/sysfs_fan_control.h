#pragma once
// Commanding the fans through a kernel driver's files. applesmc forces a fan with
// "fan<N>_manual" and steers it with "_output"; macsmc_hwmon forces a fan by writing a speed
// within its limits to "_target" and hands it back by writing 0 there, and cannot say which
// fans are forced: this port remembers what it commanded, and a target that moved since
// (a resume that cleared it, or another writer) makes the mode unknown again.

#include <array>
#include <filesystem>
#include <memory>
#include <optional>

#include "ventoria/hardware/fan_control_port.h"
#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/sysfs_fans.h"

namespace ventoria::hardware {

class SysfsFanControl final : public SysfsFans, public FanControlPort {
  public:
    // `proc` is where other fan programs are looked for.
    SysfsFanControl(std::shared_ptr<DriverFiles> files, std::filesystem::path proc)
        : SysfsFans(std::move(files)), proc_(std::move(proc)) {}

    std::optional<bool> mode(int id) override;
    bool setTarget(int id, double rpm) override;
    void setMode(int id, bool manual) override;
    // No driver has a machine-wide switch: the driver sets what the SMC needs.
    KeyUpdate allowForcing(bool) override { return KeyUpdate::unchanged; }
    // Another fan program running, or macsmc_hwmon loaded without fan control.
    std::optional<std::string> refusal() override;

  private:
    struct Commanded {
        bool forced = false;
        long long target = 0;
    };
    void writeTarget(int id, long long rpm);

    std::filesystem::path proc_;
    std::array<std::optional<Commanded>, kMaxFanCount> commanded_;
};

}  // namespace ventoria::hardware
