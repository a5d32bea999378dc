#pragma once
// Commanding the fans through the SMC's keys: "F<id>Tg" is the target; "F<id>Md", or else the
// fan's bit in "FS! ", forces it; "Ftst" must be on for a mode key to hold on Apple silicon.

#include <memory>
#include <string>

#include "ventoria/hardware/fan_control_port.h"
#include "ventoria/hardware/smc.h"
#include "ventoria/hardware/smc_fans.h"

namespace ventoria::hardware {

class SMCFanControl final : public SMCFans, public FanControlPort {
  public:
    explicit SMCFanControl(std::shared_ptr<SMC> smc) : SMCFans(smc), smc_(*smc) {}

    bool setTarget(int id, double rpm) override;
    void setMode(int id, bool manual) override;
    KeyUpdate allowForcing(bool on) override { return update("Ftst", on ? 1.0 : 0.0); }

    // Writes `value` to `key` unless the key already holds it to within 1.0. A key that cannot
    // be read is written all the same; a key the machine lacks is unchanged. Never throws.
    KeyUpdate update(const std::string& key, double value);

  private:
    // The reader owns the connection; this is the same object, seen with its write side.
    SMC& smc_;
};

}  // namespace ventoria::hardware
