#include "ventoria/hardware/smc_fan_control.h"

#include <cmath>
#include <cstdint>

#include "ventoria/hardware/smc_codec.h"
#include "ventoria/hardware/smc_encode.h"
#include "whole_number.h"

namespace ventoria::hardware {

bool SMCFanControl::setTarget(int id, double rpm) {
    auto key = fanKey(id, "Tg");
    auto info = smc_.findKey(key);
    if (!info) return false;
    smc_.write(key, encode(rpm, info->type, info->size));
    return true;
}

void SMCFanControl::setMode(int id, bool manual) {
    auto modeKey = fanKey(id, "Md");
    if (auto mode = smc_.findKey(modeKey)) {
        smc_.write(modeKey, encode(manual ? 1.0 : 0.0, mode->type, mode->size));
        return;
    }
    auto mask = smc_.findKey(kForceMaskKey);
    if (!mask) return;  // neither key: the fan cannot be forced, and that is not an error
    auto current = smc_.read(kForceMaskKey);
    auto bits = wholeNumber(decode(current.bytes, current.info.type));
    if (id >= 0 && id < 64) {
        auto bit = std::int64_t{1} << id;
        bits = manual ? bits | bit : bits & ~bit;
    }
    smc_.write(kForceMaskKey, encode(static_cast<double>(bits), mask->type, mask->size));
}

KeyUpdate SMCFanControl::update(const std::string& key, double wanted) {
    try {
        auto info = smc_.findKey(key);
        if (!info) return KeyUpdate::unchanged;
        auto current = value(key);
        if (current && std::abs(*current - wanted) < 1.0) return KeyUpdate::unchanged;
        smc_.write(key, encode(wanted, info->type, info->size));
        return KeyUpdate::written;
    } catch (const SMCError&) {
        return KeyUpdate::failed;
    }
}

}  // namespace ventoria::hardware
