#include "ventoria/hardware/fans.h"

#include <algorithm>
#include <cmath>

#include "ventoria/hardware/smc_codec.h"
#include "ventoria/hardware/smc_encode.h"
#include "whole_number.h"

namespace ventoria::hardware {
namespace {

constexpr const char* kForceMask = "FS! ";
constexpr const char* kForcedControl = "Ftst";

}  // namespace

Fans::Fans(std::shared_ptr<SMC> smc) : FanReader(smc), smc_(std::move(smc)) {}

void Fans::setMode(int id, bool manual) {
    auto modeKey = fanKey(id, "Md");
    std::optional<KeyInfo> mode;
    try {
        mode = smc_->keyInfo(modeKey);
    } catch (const SMCError&) {
    }
    if (mode) {
        smc_->write(modeKey, encode(manual ? 1.0 : 0.0, mode->type, mode->size));
        return;
    }
    KeyInfo mask;
    try {
        mask = smc_->keyInfo(kForceMask);
    } catch (const SMCError&) {
        return;  // neither key: the fan cannot be forced, and that is not an error
    }
    auto current = smc_->read(kForceMask);
    auto bits = wholeNumber(decode(current.bytes, current.info.type));
    if (id >= 0 && id < 64) {
        auto bit = std::int64_t{1} << id;
        bits = manual ? bits | bit : bits & ~bit;
    }
    smc_->write(kForceMask, encode(static_cast<double>(bits), mask.type, mask.size));
}

bool Fans::writeIfDifferent(const std::string& key, double wanted) {
    auto current = value(key);
    if (!current || std::abs(*current - wanted) < 1.0) return true;
    try {
        auto info = smc_->keyInfo(key);
        smc_->write(key, encode(wanted, info.type, info.size));
    } catch (const SMCError&) {
    }
    return false;
}

bool Fans::apply(std::optional<double> fraction) {
    return fraction ? force(*fraction) : release();
}

bool Fans::force(double fraction) {
    auto fans = readings();  // read everything before the first write
    bool settled = writeIfDifferent(kForcedControl, 1.0);
    for (const auto& fan : fans) {
        // The fraction scales the maximum; it is not a position between minimum and maximum.
        double target = std::min(fan.max, std::max(fan.min, fan.max * fraction));
        if (!fan.manual) {
            try {
                setMode(fan.id, true);
            } catch (const SMCError&) {
            }
            settled = false;
        }
        auto targetKey = fanKey(fan.id, "Tg");
        auto current = value(targetKey);
        if (!current || std::abs(*current - target) < 1.0) continue;
        settled = false;
        try {
            auto info = smc_->keyInfo(targetKey);
            smc_->write(targetKey, encode(target, info.type, info.size));
        } catch (const SMCError&) {
        }
    }
    return settled;
}

bool Fans::release() {
    auto fans = readings();
    bool anyForced = false;
    for (const auto& fan : fans) {
        if (!fan.manual) continue;
        anyForced = true;
        try {
            setMode(fan.id, false);
        } catch (const SMCError&) {
        }
    }
    // "Ftst" goes back only once no fan reports forced any more: one stage per call.
    return anyForced ? false : writeIfDifferent(kForcedControl, 0.0);
}

}  // namespace ventoria::hardware
