#include "ventoria/hardware/fan_reader.h"

#include <algorithm>
#include <limits>

#include "ventoria/hardware/smc_codec.h"
#include "whole_number.h"

namespace ventoria::hardware {
std::string fanKey(int id, const char* suffix) {
    return "F" + std::to_string(id) + suffix;
}

FanReader::FanReader(std::shared_ptr<SMCReader> smc) : smc_(std::move(smc)) {}

std::optional<double> FanReader::value(const std::string& key) {
    try {
        auto read = smc_->read(key);
        return decode(read.bytes, read.info.type);
    } catch (const SMCError&) {
        return std::nullopt;
    }
}

int FanReader::fanCount() {
    auto count = wholeNumber(value("FNum").value_or(0));
    return static_cast<int>(std::clamp<std::int64_t>(count, 0, std::numeric_limits<int>::max()));
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
    return FanReading{id, *actual, value(fanKey(id, "Mn")).value_or(0),
                      value(fanKey(id, "Mx")).value_or(0), isManual(id)};
}

bool FanReader::isManual(int id) {
    auto modeKey = fanKey(id, "Md");
    bool hasModeKey = true;
    try {
        smc_->keyInfo(modeKey);
    } catch (const SMCError&) {
        hasModeKey = false;
    }
    if (hasModeKey) return value(modeKey) == 1.0;
    auto mask = wholeNumber(value("FS! ").value_or(0));
    return id >= 0 && id < 64 && ((mask >> id) & 1) != 0;
}

}  // namespace ventoria::hardware
