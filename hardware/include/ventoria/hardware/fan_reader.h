#pragma once
// Reading the fans: how many there are, and each fan's speeds and mode, through whichever
// port the machine offers.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ventoria/hardware/fan_port.h"
#include "ventoria/hardware/readings.h"
#include "ventoria/hardware/smc_reader.h"
#include "ventoria/platform/machine_clock.h"

namespace ventoria::hardware {

// Fan keys exist for ids 0 to 9 only, and the kernel's drivers name at most ten fans; a larger
// count is the hardware's nonsense, not more fans.
inline constexpr int kMaxFanCount = 10;

// How long the fan count and the fans' limits are taken as read. Nothing but another program
// writing them changes them, and every read costs a kernel round trip, so they are read again
// only this often, or at once after a write that failed.
inline constexpr std::chrono::seconds kLayoutRefresh{60};

// The fans as they are laid out: how many, and each one's limits as last read.
struct FanLayout {
    int count = 0;
    std::vector<std::optional<double>> minimum;  // per fan; nothing when unreadable
    std::vector<std::optional<double>> maximum;
};

class FanReader {
  public:
    using Clock = std::function<platform::MachineClock::time_point()>;

    explicit FanReader(std::shared_ptr<FanPort> port, Clock clock = &platform::MachineClock::now);
    // Through the SMC's keys.
    explicit FanReader(std::shared_ptr<SMCReader> smc, Clock clock = &platform::MachineClock::now);

    // The number of fans, 0 to kMaxFanCount, as of the layout; 0 when "FNum" cannot be read.
    // Never throws.
    int fanCount();
    // The number of fans as far as it is known: nothing when it cannot be told; 0 on a
    // machine without fans. Never throws.
    std::optional<int> knownFanCount() { return port_->fanCount(); }
    // A reading per fan in ascending id; a fan whose speed cannot be read is left out. The
    // speed and mode are read afresh, the limits come from the layout.
    std::vector<FanReading> readings();
    std::optional<FanReading> reading(int id);
    // The layout, read again when older than kLayoutRefresh; nothing while the count cannot
    // be read. Never throws.
    const std::optional<FanLayout>& layout();
    // The next layout() reads the SMC again.
    void forgetLayout() { layout_.reset(); }
    // The last layout() could count the fans. Reads nothing.
    bool countKnown() const { return layout_.has_value(); }
    // Forced; false when unknown. Never throws.
    bool isManual(int id) { return mode(id).value_or(false); }
    // Forced (true) or automatic (false), or nothing when the mode cannot be read. Never throws.
    std::optional<bool> mode(int id) { return port_->mode(id); }
    // The speed the fan is steered to, in rpm; nothing when unreadable. Not part of
    // readings(): only the Details view asks for it.
    std::optional<double> target(int id) { return port_->target(id); }
    // What a user reads when the fans cannot be reached at all.
    std::string unavailable() { return port_->unavailable(); }

  private:
    std::shared_ptr<FanPort> port_;
    Clock clock_;
    std::optional<FanLayout> layout_;
    platform::MachineClock::time_point layoutRead_;
};

}  // namespace ventoria::hardware
