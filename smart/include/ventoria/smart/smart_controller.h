#pragma once
// Smart fan control: temperatures and thermal pressure in, a fan fraction (or hand-back) out.
// The level rises to the demand at once and falls at most 1.5 points a second; after 60
// seconds without demand the fans go back to the machine. Pure logic: no I/O, no waiting.

#include <chrono>
#include <optional>
#include <utility>

#include "ventoria/smart/smart_records.h"

namespace ventoria::smart {

// The demanded level in percent and what set it. Ties go to the earlier source: chip, then
// chassis, then the minimum. Pressure above 0 or a chip at 100 °C demands 100 % for safety.
std::pair<double, SmartDriver> demand(const SmartSettings& settings, std::optional<double> chip,
                                      std::optional<double> chassis, int pressure);

class SmartController {
  public:
    // A point on a monotonic clock that the caller chooses; only differences matter.
    using Time = std::chrono::nanoseconds;

    explicit SmartController(SmartSettings initial) : settings(initial) {}

    // One control step. The fraction of maximum fan speed to hold, or nothing: hand the fans
    // back. A clock that went backwards counts as no time passing.
    std::optional<double> step(std::optional<double> chip, std::optional<double> chassis,
                               int pressure, Time now);

    // No chip temperature can be read: the fans go back to the machine at once, and the
    // status says why. The next step with a temperature starts afresh, as on the first step.
    void loseChip(Time now);

    const SmartStatus& status() const { return status_; }

    // Replaced in place while Smart runs; the held level and the timers go on.
    SmartSettings settings;

  private:
    SmartStatus status_;
    std::optional<double> level_;  // percent; nothing while the machine has the fans
    std::optional<Time> coolSince_;
    std::optional<Time> stepped_;
};

}  // namespace ventoria::smart
