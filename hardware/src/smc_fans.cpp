#include "ventoria/hardware/smc_fans.h"

#include <algorithm>
#include <cmath>

#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/smc_codec.h"
#include "whole_number.h"

namespace ventoria::hardware {

std::string fanKey(int id, const char* suffix) {
    return "F" + std::to_string(id) + suffix;
}

std::optional<double> SMCFans::value(const std::string& key) {
    try {
        auto read = smc_->read(key);
        return decode(read.bytes, read.info.type);
    } catch (const SMCError&) {
        return std::nullopt;
    }
}

std::optional<int> SMCFans::fanCount() {
    try {
        if (!smc_->findKey(kFanCountKey)) return 0;
    } catch (const SMCError&) {
        return std::nullopt;
    }
    auto count = value(kFanCountKey);
    if (!count || !std::isfinite(*count) || *count < 0) return std::nullopt;
    return static_cast<int>(std::min<double>(std::trunc(*count), kMaxFanCount));
}

std::optional<bool> SMCFans::mode(int id) {
    auto modeKey = fanKey(id, "Md");
    try {
        if (smc_->findKey(modeKey)) {
            auto mode = value(modeKey);
            if (!mode) return std::nullopt;
            return *mode == 1.0;
        }
        if (!smc_->findKey(kForceMaskKey)) return false;  // nothing can force this fan
    } catch (const SMCError&) {
        return std::nullopt;
    }
    auto mask = value(kForceMaskKey);
    if (!mask) return std::nullopt;
    return id >= 0 && id < 64 && ((wholeNumber(*mask) >> id) & 1) != 0;
}

std::string SMCFans::unavailable() {
    return kSMCUnavailable;
}

}  // namespace ventoria::hardware
