#include "ventoria/hardware/fan_reader.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "ventoria/hardware/smc_codec.h"
#include "whole_number.h"

namespace ventoria::hardware {
namespace {

constexpr const char* kFanCount = "FNum";
constexpr const char* kForceMask = "FS! ";

}  // namespace

std::string fanKey(int id, const char* suffix) {
    return "F" + std::to_string(id) + suffix;
}

FanReader::FanReader(std::shared_ptr<SMCReader> smc, Clock clock)
    : smc_(std::move(smc)), clock_(std::move(clock)) {}

const std::optional<FanLayout>& FanReader::layout() {
    auto now = clock_();
    if (layout_ && now - layoutRead_ < kLayoutRefresh && now >= layoutRead_) return layout_;
    layout_.reset();
    auto count = knownFanCount();
    if (!count) return layout_;
    FanLayout fresh{*count, {}, {}};
    for (int id = 0; id < *count; ++id) {
        fresh.minimum.push_back(value(fanKey(id, "Mn")));
        fresh.maximum.push_back(value(fanKey(id, "Mx")));
    }
    layout_ = std::move(fresh);
    layoutRead_ = now;
    return layout_;
}

std::optional<double> FanReader::value(const std::string& key) {
    try {
        auto read = smc_->read(key);
        return decode(read.bytes, read.info.type);
    } catch (const SMCError&) {
        return std::nullopt;
    }
}

int FanReader::fanCount() {
    const auto& fans = layout();
    return fans ? fans->count : 0;
}

std::optional<int> FanReader::knownFanCount() {
    try {
        if (!smc_->findKey(kFanCount)) return 0;
    } catch (const SMCError&) {
        return std::nullopt;
    }
    auto count = value(kFanCount);
    if (!count || !std::isfinite(*count) || *count < 0) return std::nullopt;
    return static_cast<int>(std::min<double>(std::trunc(*count), kMaxFanCount));
}

std::vector<FanReading> FanReader::readings() {
    std::vector<FanReading> fans;
    for (int id = 0, count = fanCount(); id < count; ++id) {
        if (auto fan = reading(id)) fans.push_back(*fan);
    }
    return fans;
}

std::optional<FanReading> FanReader::reading(int id) {
    auto actual = value(fanKey(id, "Ac"));
    if (!actual) return std::nullopt;
    const auto& fans = layout();
    bool known = fans && id < fans->count;
    assert(!known || (fans->minimum.size() == static_cast<std::size_t>(fans->count) &&
                      fans->maximum.size() == static_cast<std::size_t>(fans->count)));
    return FanReading{id, *actual, known ? fans->minimum[id].value_or(0) : 0,
                      known ? fans->maximum[id].value_or(0) : 0, isManual(id)};
}

bool FanReader::isManual(int id) {
    return mode(id).value_or(false);
}

std::optional<bool> FanReader::mode(int id) {
    auto modeKey = fanKey(id, "Md");
    try {
        if (smc_->findKey(modeKey)) {
            auto mode = value(modeKey);
            if (!mode) return std::nullopt;
            return *mode == 1.0;
        }
        if (!smc_->findKey(kForceMask)) return false;  // nothing can force this fan
    } catch (const SMCError&) {
        return std::nullopt;
    }
    auto mask = value(kForceMask);
    if (!mask) return std::nullopt;
    return id >= 0 && id < 64 && ((wholeNumber(*mask) >> id) & 1) != 0;
}

}  // namespace ventoria::hardware
