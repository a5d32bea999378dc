#include "ventoria/hardware/smc_temperatures.h"

#include <string_view>

#include "ventoria/hardware/smc_codec.h"

namespace ventoria::hardware {
namespace {

// Signed fixed point ("sp78" and its kin) and float: the types a temperature comes in.
bool temperatureType(std::string_view type) {
    return type == "flt " || type.starts_with("sp");
}

}  // namespace

const std::vector<TemperatureSensor>& SMCTemperatures::sensors() {
    if (sensors_) return *sensors_;
    sensors_.emplace();
    for (auto& key : smc_->allKeys()) {
        if (!key.starts_with("T")) continue;
        try {
            if (!temperatureType(smc_->keyInfo(key).type)) continue;
        } catch (const SMCError&) {
            continue;  // a key whose type cannot be read cannot be decoded either
        }
        sensors_->push_back({key, sensorName(key), sensorGroup(key)});
    }
    return *sensors_;
}

std::optional<double> SMCTemperatures::celsius(const std::string& key) {
    try {
        auto read = smc_->read(key);
        return decode(read.bytes, read.info.type);
    } catch (const SMCError&) {
        return std::nullopt;
    }
}

}  // namespace ventoria::hardware
