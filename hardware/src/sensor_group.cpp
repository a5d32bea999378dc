#include "ventoria/hardware/sensor_group.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <string>
#include <utility>

#include "sensor_keys.h"

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

}  // namespace ventoria::hardware
