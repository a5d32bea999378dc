#pragma once
// The fans through the SMC's keys: "FNum" counts them; "F<id>Ac", "Mn", "Mx" and "Tg" hold
// their speeds; a fan is forced by its own mode key "F<id>Md" or else by its bit in the
// "FS! " mask.

#include <memory>
#include <string>

#include "ventoria/hardware/fan_port.h"
#include "ventoria/hardware/smc_reader.h"

namespace ventoria::hardware {

// "F", the fan's id, then the two-letter suffix: fanKey(0, "Ac") is "F0Ac".
std::string fanKey(int id, const char* suffix);

inline constexpr const char* kSMCUnavailable = "AppleSMC is unavailable";
inline constexpr const char* kFanCountKey = "FNum";
inline constexpr const char* kForceMaskKey = "FS! ";

class SMCFans : public virtual FanPort {
  public:
    explicit SMCFans(std::shared_ptr<SMCReader> smc) : smc_(std::move(smc)) {}

    // Nothing when "FNum" exists but cannot be read or holds no sensible count; 0 on a
    // machine without the key.
    std::optional<int> fanCount() override;
    std::optional<double> speed(int id) override { return value(fanKey(id, "Ac")); }
    std::optional<double> minimum(int id) override { return value(fanKey(id, "Mn")); }
    std::optional<double> maximum(int id) override { return value(fanKey(id, "Mx")); }
    std::optional<double> target(int id) override { return value(fanKey(id, "Tg")); }
    // By its own mode key, or else by its bit in the mask. A fan with neither key cannot be
    // forced and is automatic.
    std::optional<bool> mode(int id) override;
    std::string unavailable() override;

    // The decoded value of `key`, or nothing when it cannot be read.
    std::optional<double> value(const std::string& key);

  private:
    std::shared_ptr<SMCReader> smc_;
};

}  // namespace ventoria::hardware
