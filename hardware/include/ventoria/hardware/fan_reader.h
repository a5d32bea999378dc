#pragma once
// Reading the fans: how many there are, and each fan's speeds and mode.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ventoria/hardware/readings.h"
#include "ventoria/hardware/smc_reader.h"
#include "ventoria/platform/machine_clock.h"

namespace ventoria::hardware {

// Fan keys exist for ids 0 to 9 only; a larger count is the SMC's nonsense, not more fans.
inline constexpr int kMaxFanCount = 10;

// "F", the fan's id, then the two-letter suffix: fanKey(0, "Ac") is "F0Ac".
std::string fanKey(int id, const char* suffix);

// How long the fan count and the fans' limits are taken as read. Nothing but another program
// writing them changes them, and every SMC call costs a kernel round trip on a Mac, so they
// are read again only this often, or at once after a write that failed.
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

    explicit FanReader(std::shared_ptr<SMCReader> smc, Clock clock = &platform::MachineClock::now);

    // The number of fans, 0 to kMaxFanCount, as of the layout; 0 when "FNum" cannot be read.
    // Never throws.
    int fanCount();
    // The number of fans as far as it is known: nothing when "FNum" exists but cannot be read
    // or holds no sensible count; 0 on a machine without the key. Never throws.
    std::optional<int> knownFanCount();
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
    // Forced by its own mode key, or else by its bit in the "FS! " mask; false when unknown.
    // Never throws.
    bool isManual(int id);
    // Forced (true) or automatic (false), or nothing when the mode cannot be read. A fan with
    // neither key cannot be forced and is automatic. Never throws.
    std::optional<bool> mode(int id);
    // The speed the fan is steered to ("F<id>Tg"), in rpm; nothing when unreadable. Not part
    // of readings(): only the Details view asks for it.
    std::optional<double> target(int id) { return value(fanKey(id, "Tg")); }

  protected:
    // The decoded value of `key`, or nothing when it cannot be read.
    std::optional<double> value(const std::string& key);

  private:
    std::shared_ptr<SMCReader> smc_;
    Clock clock_;
    std::optional<FanLayout> layout_;
    platform::MachineClock::time_point layoutRead_;
};

}  // namespace ventoria::hardware
