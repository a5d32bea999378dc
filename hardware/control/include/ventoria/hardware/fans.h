#pragma once
// Commanding the fans, the same policy over every port. Control is written to be called again
// and again on a timer: it writes only what differs from what the hardware holds and says
// whether anything had to be written. What cannot be read is never taken for what is wanted:
// an unknown mode is not "automatic", an unknown limit gives no target.

#include <bitset>
#include <memory>
#include <optional>

#include "ventoria/hardware/fan_control_port.h"
#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/fan_target.h"
#include "ventoria/hardware/smc.h"

namespace ventoria::hardware {

class Fans : public FanReader {
  public:
    explicit Fans(std::shared_ptr<FanControlPort> port, Clock clock = &platform::MachineClock::now);
    // Through the SMC's keys.
    explicit Fans(std::shared_ptr<SMC> smc, Clock clock = &platform::MachineClock::now);

    // One control step. A fraction (0…1) forces every fan with sensible limits to that share
    // of its maximum and hands the others back; nothing hands every fan back, one stage per
    // call. True (settled) only when every fan the machine has was read and already was as
    // requested, so nothing was written. A fan this object forced is handed back even after
    // the count stops naming it. Never throws.
    bool apply(std::optional<double> fraction);
    // The fans `previous`, on a connection that has since gone, forced and did not see
    // automatic again: this object hands them back as its own.
    void takeOver(const Fans& previous) { forced_ |= previous.forced_; }
    // Why no command can succeed now; nothing when one may.
    std::optional<std::string> refusal() { return port_->refusal(); }

  private:
    bool force(double fraction);
    bool release();
    // Hands back each fan this object forced that the count no longer names; true when all
    // of them are known to be automatic.
    bool releaseUncounted(int count);
    // Hands back a fan whose mode is `manual`: one known to be forced, or one whose mode the
    // port cannot read back and so may be.
    void handBack(int id, std::optional<bool> manual);
    // setMode for a control step, where a refusal only means "not settled yet".
    bool trySetMode(int id, bool manual);
    KeyUpdate updateTarget(int id, double rpm);
    KeyUpdate allowForcing(bool on);

    std::shared_ptr<FanControlPort> port_;
    // The fans this object has put under manual control and not yet seen automatic again.
    std::bitset<kMaxFanCount> forced_;
};

}  // namespace ventoria::hardware
