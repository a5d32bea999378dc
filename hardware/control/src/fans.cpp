#include "ventoria/hardware/fans.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

#include "ventoria/hardware/smc_codec.h"
#include "ventoria/hardware/smc_encode.h"
#include "whole_number.h"

namespace ventoria::hardware {
namespace {

constexpr const char* kForceMask = "FS! ";
constexpr const char* kForcedControl = "Ftst";

}  // namespace

Fans::Fans(std::shared_ptr<SMC> smc, Clock clock) : FanReader(smc, std::move(clock)), smc_(*smc) {}

void Fans::setMode(int id, bool manual) {
    auto modeKey = fanKey(id, "Md");
    if (auto mode = smc_.findKey(modeKey)) {
        smc_.write(modeKey, encode(manual ? 1.0 : 0.0, mode->type, mode->size));
        return;
    }
    auto mask = smc_.findKey(kForceMask);
    if (!mask) return;  // neither key: the fan cannot be forced, and that is not an error
    auto current = smc_.read(kForceMask);
    auto bits = wholeNumber(decode(current.bytes, current.info.type));
    if (id >= 0 && id < 64) {
        auto bit = std::int64_t{1} << id;
        bits = manual ? bits | bit : bits & ~bit;
    }
    smc_.write(kForceMask, encode(static_cast<double>(bits), mask->type, mask->size));
}

bool Fans::trySetMode(int id, bool manual) {
    try {
        setMode(id, manual);
        if (manual) forced_.set(static_cast<std::size_t>(id));
        return true;
    } catch (const SMCError&) {
        forgetLayout();  // a refused write may mean the fans are not what we think
        return false;
    }
}

KeyUpdate Fans::update(const std::string& key, double wanted) {
    try {
        auto info = smc_.findKey(key);
        if (!info) return KeyUpdate::unchanged;
        auto current = value(key);
        if (current && std::abs(*current - wanted) < 1.0) return KeyUpdate::unchanged;
        smc_.write(key, encode(wanted, info->type, info->size));
        return KeyUpdate::written;
    } catch (const SMCError&) {
        forgetLayout();
        return KeyUpdate::failed;
    }
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
        settled = update(kForcedControl, 1.0) == KeyUpdate::unchanged;
    }
    for (const auto& plan : plans) {
        if (plan.manual == false) forced_.reset(static_cast<std::size_t>(plan.id));
        if (!plan.target) {
            if (plan.manual != false) settled = false;
            if (plan.manual == true) trySetMode(plan.id, false);
            continue;
        }
        // The target goes first: a fan is forced only once its target holds, or it would be
        // held at whatever speed its target key last held, which nobody chose. A fan already
        // forced keeps the target it was given last while a write fails, and the next step
        // tries again: a key that fails now and then must not flip the fan in and out of
        // the machine's control.
        auto target = update(fanKey(plan.id, "Tg"), *plan.target);
        if (target != KeyUpdate::unchanged) settled = false;
        if (target == KeyUpdate::failed && plan.manual != true) continue;
        if (plan.manual != true) {
            trySetMode(plan.id, true);
            settled = false;
        } else {
            forced_.set(static_cast<std::size_t>(plan.id));  // ours to hand back, however set
        }
    }
    return releaseUncounted(fans->count) && settled;
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
        if (manual == true) trySetMode(id, false);
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
        } else if (*manual) {
            anyForced = true;
            trySetMode(id, false);
        } else {
            forced_.reset(static_cast<std::size_t>(id));
        }
    }
    if (!releaseUncounted(count)) allKnown = false;
    // "Ftst" goes back only once every fan is known to be automatic: one stage per call.
    if (anyForced || !allKnown) return false;
    return update(kForcedControl, 0.0) == KeyUpdate::unchanged;
}

}  // namespace ventoria::hardware
