#include "ventoria/app/alert_policy.h"

#include <cmath>

#include "ventoria/app/model_text.h"

namespace ventoria::app {

AlertConditions alertConditions(const ModelState& state) {
    AlertConditions conditions;
    auto phase = smartPhase(state.preset, state.smartStatus);
    conditions.safetyBoost = phase == smart::Phase::safety;
    if (state.percent) {
        conditions.forcedFraction = *state.percent / 100.0;
    } else if (phase) {
        conditions.forcedFraction = state.smartStatus->level;
    }
    conditions.fans = state.fans;
    conditions.helperUnreachable = state.awaitingHelper && state.preset != Preset::automatic;
    return conditions;
}
namespace {

std::size_t index(AlertKind kind) {
    return static_cast<std::size_t>(kind);
}

}  // namespace

bool AlertPolicy::rising(AlertKind kind, bool active) {
    bool was = active_[index(kind)];
    active_[index(kind)] = active;
    return active && !was;
}

bool AlertPolicy::quiet(AlertKind kind, Clock::time_point now) const {
    const auto& last = posted_[index(kind)];
    return !last || now - *last >= kQuietPeriod;
}

std::vector<Alert> AlertPolicy::observe(const AlertConditions& conditions, Clock::time_point now,
                                        const std::function<bool(AlertKind)>& allowed) {
    // A fan asked to turn that reads a standstill poll after poll.
    std::optional<int> stuck;
    std::map<int, int> stopped;
    bool asked = conditions.forcedFraction && *conditions.forcedFraction > 0;
    for (const auto& fan : conditions.fans) {
        // A speed that is no number is unknown, not a standstill.
        bool standing = std::isfinite(fan.actual) && fan.actual < 1;
        if (!asked || (!fan.manual && fan.modeKnown) || !standing) continue;
        int polls = stoppedPolls_[fan.id] + 1;
        stopped[fan.id] = polls;
        if (polls >= kStuckPolls && !stuck) stuck = fan.id;
    }
    stoppedPolls_ = std::move(stopped);

    std::vector<Alert> alerts;
    auto post = [&](AlertKind kind, bool active, QString title, QString body) {
        if (!rising(kind, active) || !allowed(kind) || !quiet(kind, now)) return;
        posted_[index(kind)] = now;
        alerts.push_back({kind, std::move(title), std::move(body)});
    };
    post(AlertKind::safetyBoost, conditions.safetyBoost, QStringLiteral("Safety boost"),
         QStringLiteral("The chip is very hot or the system reports thermal pressure: the fans "
                        "run at full speed."));
    post(AlertKind::stuckFan, stuck.has_value(),
         QStringLiteral("Fan %1 is not turning").arg(stuck.value_or(0) + 1),
         QStringLiteral("It reads 0 rpm while Ventoria asks it to turn. It may be blocked or "
                        "failed."));
    post(AlertKind::helperUnreachable, conditions.helperUnreachable,
         QStringLiteral("Ventoria's helper cannot be reached"),
         QStringLiteral("Your preset is not in force until the helper answers again; Ventoria "
                        "keeps trying."));
    return alerts;
}

}  // namespace ventoria::app
