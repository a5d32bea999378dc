#pragma once

#include <QMetaType>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "ventoria/hardware/readings.h"
#include "ventoria/smart/smart_records.h"

namespace ventoria::app {

// The user's choice. Declaration order is the interface's order.
enum class Preset { automatic, smart, balanced, max };
inline constexpr std::array kAllPresets = {Preset::automatic, Preset::smart, Preset::balanced,
                                           Preset::max};

enum class DisplayMode { menu, notch };

// How a temperature tile is coloured, following the helper's Smart status.
enum class TempTone { normal, boost, safety };

// "auto", "smart", "balanced", "max"
std::string_view rawValue(Preset preset);
std::optional<Preset> presetFromRaw(std::string_view raw);
// "Auto", "Smart", "Balanced", "Max"
std::string_view displayName(Preset preset);
std::string_view rawValue(DisplayMode mode);

// The fixed percentage of each fixed preset.
struct CustomPercentages {
    int balanced = 60;
    int max = 100;

    // The entry for `preset`, or nothing for auto and smart.
    std::optional<int> operator[](Preset preset) const;
    bool operator==(const CustomPercentages&) const = default;
};
inline constexpr CustomPercentages kDefaultCustom{60, 100};

using FanReadings = std::vector<hardware::FanReading>;

enum class TemperatureUnit { celsius, fahrenheit };
// "celsius", "fahrenheit"
std::string_view rawValue(TemperatureUnit unit);
std::optional<TemperatureUnit> temperatureUnitFromRaw(std::string_view raw);

// What the Mac is plugged into, for the presets that follow it.
enum class PowerSource { battery, charger };
inline constexpr std::array kAllPowerSources = {PowerSource::battery, PowerSource::charger};
// "battery", "charger"
std::string_view rawValue(PowerSource source);

// The desktop notifications Ventoria may post.
enum class AlertKind { safetyBoost, stuckFan, helperUnreachable };
inline constexpr std::array kAllAlertKinds = {AlertKind::safetyBoost, AlertKind::stuckFan,
                                              AlertKind::helperUnreachable};
// "safety-boost", "stuck-fan", "helper-unreachable"
std::string_view rawValue(AlertKind kind);

}  // namespace ventoria::app

Q_DECLARE_METATYPE(ventoria::app::Preset)
Q_DECLARE_METATYPE(ventoria::app::DisplayMode)
Q_DECLARE_METATYPE(ventoria::app::TemperatureUnit)
Q_DECLARE_METATYPE(ventoria::app::CustomPercentages)
Q_DECLARE_METATYPE(ventoria::app::FanReadings)
Q_DECLARE_METATYPE(ventoria::hardware::ThermalReading)
Q_DECLARE_METATYPE(ventoria::smart::SmartSettings)
Q_DECLARE_METATYPE(std::optional<ventoria::smart::SmartStatus>)
Q_DECLARE_METATYPE(std::optional<QString>)
