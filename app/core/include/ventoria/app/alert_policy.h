#pragma once
// When Ventoria tells the user something went wrong while they were not looking: Smart's
// safety boost, a forced fan that stands still, a helper that cannot be reached for a preset
// that needs it. Each kind is posted when its condition starts, and at most once per quiet
// period however often the condition comes and goes, so a flapping fault cannot flood the
// desktop.

#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "ventoria/app/model_types.h"
#include "ventoria/smart/smart_records.h"

namespace ventoria::app {

struct Alert {
    AlertKind kind;
    QString title;
    QString body;

    bool operator==(const Alert&) const = default;
};

// What one poll found.
struct AlertConditions {
    bool safetyBoost = false;
    // The fraction the helper holds the fans at, for a preset that forces them; nothing
    // under auto, or under Smart before its status is known.
    std::optional<double> forcedFraction;
    FanReadings fans;
    bool helperUnreachable = false;
};

// What the model knows at a poll, from which the conditions follow.
struct ModelState {
    Preset preset = Preset::automatic;
    // The active fixed preset's percentage, once it is in force (sent, and nothing went wrong).
    std::optional<int> percent;
    std::optional<smart::SmartStatus> smartStatus;
    FanReadings fans;
    bool awaitingHelper = false;  // a preset waits for a helper that went away
};
AlertConditions alertConditions(const ModelState& state);

class AlertPolicy {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::minutes kQuietPeriod{10};
    // Polls in a row a forced fan must read 0 rpm while asked to turn: a fan spinning up from
    // a stop reads 0 for a moment.
    static constexpr int kStuckPolls = 3;

    // The alerts this poll starts, of the kinds `allowed` says yes to.
    std::vector<Alert> observe(const AlertConditions& conditions, Clock::time_point now,
                               const std::function<bool(AlertKind)>& allowed);

  private:
    bool rising(AlertKind kind, bool active);
    bool quiet(AlertKind kind, Clock::time_point now) const;

    std::array<bool, kAllAlertKinds.size()> active_{};
    std::array<std::optional<Clock::time_point>, kAllAlertKinds.size()> posted_{};
    std::map<int, int> stoppedPolls_;  // per fan id
};

}  // namespace ventoria::app
