#pragma once
// The fans as the machine's interface lets them be commanded: the SMC's keys on a Mac, a
// kernel driver's files on Linux. Each call is one command; what to command, when, and what
// counts as done is the policy of Fans, shared by every port.

#include <optional>
#include <string>

#include "ventoria/hardware/fan_port.h"

namespace ventoria::hardware {

// What one "read, compare, write" step did.
enum class KeyUpdate {
    unchanged,  // the value was already held (to within 1.0), or there is nothing to write
    written,    // the value was written
    failed,     // it could not be read or written, so what is held is unknown
};

class FanControlPort : public virtual FanPort {
  public:
    // Steers one fan toward `rpm`; false when the fan has nothing to steer it by. Throws
    // SMCError.
    virtual bool setTarget(int id, double rpm) = 0;
    // Forces one fan or hands it back, writing even when nothing changes. A fan that nothing
    // can force is left alone. Throws SMCError.
    virtual void setMode(int id, bool manual) = 0;
    // The machine-wide switch that lets forced modes hold, where the machine has one. Never
    // throws.
    virtual KeyUpdate allowForcing(bool on) = 0;
    // Why no command can succeed now, in words a user may read; nothing when one may.
    virtual std::optional<std::string> refusal() { return std::nullopt; }
};

}  // namespace ventoria::hardware
