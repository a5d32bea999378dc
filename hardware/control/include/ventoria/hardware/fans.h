#pragma once
// Commanding the fans. Control is written to be called again and again on a timer: it writes
// only what differs from what the SMC holds and says whether anything had to be written.

#include <memory>
#include <optional>
#include <string>

#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/smc.h"

namespace ventoria::hardware {

class Fans : public FanReader {
  public:
    explicit Fans(std::shared_ptr<SMC> smc);

    // Forces one fan (manual) or hands it back, through its mode key or else the "FS! " mask;
    // writes even when nothing changes. Without either key it does nothing. Throws SMCError.
    void setMode(int id, bool manual);
    // Writes `value` unless the key is unreadable or already within 1.0 of it. True when
    // nothing was written. Never throws.
    bool writeIfDifferent(const std::string& key, double value);
    // One control step. A fraction forces every fan to that share of its maximum (never
    // below its minimum); nothing hands every fan back, one stage per call. True when the
    // hardware already was as requested and nothing was written. Never throws.
    bool apply(std::optional<double> fraction);

  private:
    bool force(double fraction);
    bool release();

    std::shared_ptr<SMC> smc_;
};

}  // namespace ventoria::hardware
