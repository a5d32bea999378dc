#include "ventoria/hardware/sensors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <utility>

#include "sensor_keys.h"
#include "ventoria/hardware/smc_codec.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::hardware {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 17> kWellKnown = {{
    {"TA0P", "Ambient"},
    {"TB0T", "Battery"},
    {"TB1T", "Battery cell 1"},
    {"TB2T", "Battery cell 2"},
    {"TC0D", "CPU die"},
    {"TC0E", "CPU die (virtual)"},
    {"TC0F", "CPU die (filtered)"},
    {"TC0P", "CPU proximity"},
    {"TCXC", "CPU cores (PECI)"},
    {"TG0D", "GPU die"},
    {"TG0P", "GPU proximity"},
    {"TH0x", "SSD"},
    {"TW0P", "Wireless module"},
    {"TaLP", "Airflow left"},
    {"TaRF", "Airflow right"},
    {"Ts0P", "Palm rest"},
    {"Ts1P", "Palm rest 2"},
}};

// Apple silicon's die sensors come in families, one key per spot on the die.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kFamilies = {{
    {"Tp0", "CPU performance cores"},
    {"Te0", "CPU efficiency cores"},
    {"Tg", "GPU"},
}};

// Raw and shown names, in the order of SensorGroup.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kGroupNames = {{
    {"chip", "Chip"},
    {"case", "Case"},
    {"battery", "Battery"},
    {"other", "Other"},
}};

bool startsWithAny(std::string_view key, std::span<const std::string_view> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view prefix) { return key.starts_with(prefix); });
}

bool contains(std::span<const std::string_view> keys, std::string_view key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// Signed fixed point ("sp78" and its kin) and float: the types a temperature comes in.
bool temperatureType(std::string_view type) {
    return type == "flt " || type.starts_with("sp");
}

}  // namespace

std::string_view rawValue(SensorGroup group) {
    return kGroupNames[static_cast<std::size_t>(group)].first;
}

std::string_view displayName(SensorGroup group) {
    return kGroupNames[static_cast<std::size_t>(group)].second;
}

SensorGroup sensorGroup(std::string_view key) {
    if (startsWithAny(key, kChipPrefixes) || contains(kNamedChipKeys, key)) {
        return SensorGroup::chip;
    }
    if (contains(kChassisKeys, key)) return SensorGroup::chassis;
    if (key.starts_with("TB")) return SensorGroup::battery;
    return SensorGroup::other;
}

std::string sensorName(std::string_view key) {
    for (auto [known, name] : kWellKnown) {
        if (key == known) return std::string(name);
    }
    // Intel's per-core sensors: "TC1C" is core 1.
    if (key.size() == 4 && key.starts_with("TC") && key[3] == 'C' &&
        std::isdigit(static_cast<unsigned char>(key[2]))) {
        return "CPU core " + std::string(1, key[2]);
    }
    for (auto [prefix, name] : kFamilies) {
        if (key.starts_with(prefix)) return std::string(name);
    }
    return {};
}

SensorCatalog::SensorCatalog(std::shared_ptr<SMCReader> smc) : smc_(std::move(smc)) {
    for (auto& key : smc_->allKeys()) {
        if (!key.starts_with("T")) continue;
        try {
            if (temperatureType(smc_->keyInfo(key).type)) keys_.push_back(std::move(key));
        } catch (const SMCError&) {
            // A key whose type cannot be read cannot be decoded either.
        }
    }
    std::stable_sort(keys_.begin(), keys_.end(), [](const auto& a, const auto& b) {
        return std::pair(sensorGroup(a), std::string_view(a)) <
               std::pair(sensorGroup(b), std::string_view(b));
    });
}

std::vector<SensorReading> SensorCatalog::read() {
    std::vector<SensorReading> readings;
    readings.reserve(keys_.size());
    for (const auto& key : keys_) {
        SensorReading reading{key, sensorName(key), sensorGroup(key), std::nullopt};
        try {
            auto read = smc_->read(key);
            double celsius = decode(read.bytes, read.info.type);
            if (plausibleTemperature(celsius)) reading.celsius = celsius;
        } catch (const SMCError&) {
            // Listed, unread: the view shows it as unknown.
        }
        readings.push_back(std::move(reading));
    }
    return readings;
}

}  // namespace ventoria::hardware
