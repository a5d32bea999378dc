#pragma once
// The fans as the machine's interface shows them, one value at a time: the SMC's keys on a
// Mac, a kernel driver's files on Linux. Every read is afresh; nothing here caches, decides or
// throws, so the policy above (FanReader, and the helper's Fans) is the same on both.

#include <optional>
#include <string>

namespace ventoria::hardware {

class FanPort {
  public:
    virtual ~FanPort() = default;

    // How many fans there are: 0 on a machine that has none, nothing when it cannot be told.
    // At most kMaxFanCount.
    virtual std::optional<int> fanCount() = 0;
    // In rpm; nothing when unreadable.
    virtual std::optional<double> speed(int id) = 0;
    virtual std::optional<double> minimum(int id) = 0;
    virtual std::optional<double> maximum(int id) = 0;
    // The speed the fan is steered to now, by whoever steers it.
    virtual std::optional<double> target(int id) = 0;
    // Forced (true) or automatic (false); nothing when it cannot be read. A fan that nothing
    // can force is automatic.
    virtual std::optional<bool> mode(int id) = 0;
    // False when the hardware does not say whether a fan is forced: mode() then knows only
    // what this port itself commanded, and a mode it cannot tell may be a forced one.
    virtual bool modeReadable() const { return true; }
    // What a user reads when the fans cannot be reached at all ("AppleSMC is unavailable").
    virtual std::string unavailable() = 0;
};

}  // namespace ventoria::hardware
