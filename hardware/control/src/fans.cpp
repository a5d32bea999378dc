#include "ventoria/hardware/fans.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

#include "ventoria/hardware/smc_fan_control.h"

namespace ventoria::hardware {

Fans::Fans(std::shared_ptr<FanControlPort> port, Clock clock)
    : FanReader(port, std::move(clock)), port_(std::move(port)) {}

Fans::Fans(std::shared_ptr<SMC> smc, Clock clock)
    : Fans(std::make_shared<SMCFanControl>(std::move(smc)), std::move(clock)) {}

bool Fans::trySetMode(int id, bool manual) {
    try {
        port_->setMode(id, manual);
        if (manual) forced_.set(static_cast<std::size_t>(id));
        return true;
    } catch (const SMCError&) {
        forgetLayout();  // a refused write may mean the fans are not what we think
        return false;
    }
}

KeyUpdate Fans::updateTarget(int id, double wanted) {
    try {
        auto current = port_->target(id);
        if (current && std::abs(*current - wanted) < 1.0) return KeyUpdate::unchanged;
        return port_->setTarget(id, wanted) ? KeyUpdate::written : KeyUpdate::unchanged;
    } catch (const SMCError&) {
        forgetLayout();  // a refused write may mean the fans are not what we think
        return KeyUpdate::failed;
    }
}

KeyUpdate Fans::allowForcing(bool on) {
    auto outcome = port_->allowForcing(on);
    if (outcome == KeyUpdate::failed) forgetLayout();
    return outcome;
}

void Fans::handBack(int id, std::optional<bool> manual) {
    bool mayBeForced = manual == true || (!manual && !port_->modeReadable());
    if (!mayBeForced) return;
    // The one write that must get through: a key that fails now and then gets a second try at
    // once, or a failure that falls on the write at every step would keep the fan forced.
    if (!trySetMode(id, false)) trySetMode(id, false);
}

bool Fans::apply(std::optional<double> fraction) {
    return fraction ? force(*fraction) : release();
}

bool Fans::force(double fraction) {
    // Without the count there is no telling which fans there are: write nothing this time.
    const auto& fans = layout();
    if (!fans) return false;

    struct Plan {
        int id;
        std::optional<double> target;  // nothing: the fan stays with the machine
        std::optional<bool> manual;
    };
    std::vector<Plan> plans;  // everything is read before the first write
    // A layout holds limits for each fan it counts.
    assert(fans->minimum.size() == static_cast<std::size_t>(fans->count));
    assert(fans->maximum.size() == static_cast<std::size_t>(fans->count));
    for (int id = 0; id < fans->count; ++id) {
        plans.push_back({id, fanTarget(fans->minimum[id], fans->maximum[id], fraction), mode(id)});
    }

    bool settled = true;
    if (std::any_of(plans.begin(), plans.end(), [](const Plan& plan) { return plan.target; })) {
        settled = allowForcing(true) == KeyUpdate::unchanged;
    }
    bool limitUnread = false;
    for (const auto& plan : plans) {
        if (plan.manual == false) forced_.reset(static_cast<std::size_t>(plan.id));
        if (!plan.target) {
            limitUnread = limitUnread || !fans->minimum[plan.id] || !fans->maximum[plan.id];
            if (plan.manual != false) settled = false;
            handBack(plan.id, plan.manual);
            continue;
        }
        // The target goes first: a fan is forced only once its target holds, or it would be
        // held at whatever speed its target key last held, which nobody chose. A fan already
        // forced keeps the target it was given last while a write fails, and the next step
        // tries again: a key that fails now and then must not flip the fan in and out of
        // the machine's control.
        auto target = updateTarget(plan.id, *plan.target);
        if (target != KeyUpdate::unchanged) settled = false;
        if (target == KeyUpdate::failed && plan.manual != true) continue;
        if (plan.manual != true) {
            trySetMode(plan.id, true);
            settled = false;
        } else {
            forced_.set(static_cast<std::size_t>(plan.id));  // ours to hand back, however set
        }
    }
    bool released = releaseUncounted(fans->count);
    // A limit that could not be read (a key that failed once, a driver reloaded between the
    // count and the limits) is read again at the next step, as after a failed write: kept for
    // the layout's minute, it would leave its fan to the machine under every choice accepted
    // meanwhile.
    if (limitUnread) forgetLayout();
    return released && settled;
}

bool Fans::releaseUncounted(int count) {
    bool allKnown = true;
    for (int id = std::max(count, 0); id < kMaxFanCount; ++id) {
        if (!forced_.test(static_cast<std::size_t>(id))) continue;
        auto manual = mode(id);
        if (manual == false) {
            forced_.reset(static_cast<std::size_t>(id));
            continue;
        }
        allKnown = false;
        handBack(id, manual);
    }
    return allKnown;
}

bool Fans::release() {
    const auto& fans = layout();
    if (!fans) {
        releaseUncounted(0);  // the fans we forced, at least, are known
        return false;
    }
    const int count = fans->count;  // setMode below may forget the layout
    bool allKnown = true;
    bool anyForced = false;
    for (int id = 0; id < count; ++id) {
        auto manual = mode(id);
        if (!manual) {
            allKnown = false;  // unknown is never taken for automatic
            handBack(id, manual);
        } else if (*manual) {
            anyForced = true;
            handBack(id, manual);
        } else {
            forced_.reset(static_cast<std::size_t>(id));
        }
    }
    if (!releaseUncounted(count)) allKnown = false;
    // "Ftst" goes back only once every fan is known to be automatic: one stage per call.
    if (anyForced || !allKnown) return false;
    return allowForcing(false) == KeyUpdate::unchanged;
}

}  // namespace ventoria::hardware
