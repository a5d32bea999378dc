#pragma once
// Commanding the fans. Control is written to be called again and again on a timer: it writes
// only what differs from what the SMC holds and says whether anything had to be written.
// What cannot be read is never taken for what is wanted: an unknown mode is not "automatic",
// an unknown limit gives no target.

#include <bitset>
#include <memory>
#include <optional>
#include <string>

#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/fan_target.h"
#include "ventoria/hardware/smc.h"

namespace ventoria::hardware {

// What one "read, compare, write" step of a key did.
enum class KeyUpdate {
    unchanged,  // the key already held the value (to within 1.0), or the machine has no such key
    written,    // the value was written
    failed,     // the key could not be read or written, so what it holds is unknown
};

class Fans : public FanReader {
  public:
    explicit Fans(std::shared_ptr<SMC> smc, Clock clock = &platform::MachineClock::now);

    // Forces one fan (manual) or hands it back, through its mode key or else the "FS! " mask;
    // writes even when nothing changes. Without either key it does nothing. Throws SMCError.
    void setMode(int id, bool manual);
    // Writes `value` to `key` unless the key already holds it to within 1.0. A key that cannot
    // be read is written all the same. Never throws.
    KeyUpdate update(const std::string& key, double value);
    // One control step. A fraction (0…1) forces every fan with sensible limits to that share
    // of its maximum and hands the others back; nothing hands every fan back, one stage per
    // call. True (settled) only when every fan the machine has was read and already was as
    // requested, so nothing was written. A fan this object forced is handed back even after
    // the count stops naming it. Never throws.
    bool apply(std::optional<double> fraction);
    // The fans `previous`, on a connection that has since gone, forced and did not see
    // automatic again: this object hands them back as its own.
    void takeOver(const Fans& previous) { forced_ |= previous.forced_; }

  private:
    bool force(double fraction);
    bool release();
    // Hands back each fan this object forced that the count no longer names; true when all
    // of them are known to be automatic.
    bool releaseUncounted(int count);
    // setMode for a control step, where a refusal only means "not settled yet".
    bool trySetMode(int id, bool manual);

    // The reader owns the connection; this is the same object, seen with its write side.
    SMC& smc_;
    // The fans this object has put under manual control and not yet seen automatic again.
    std::bitset<kMaxFanCount> forced_;
};

}  // namespace ventoria::hardware
