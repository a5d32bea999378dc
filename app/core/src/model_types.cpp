#include "ventoria/app/model_types.h"

namespace ventoria::app {

std::string_view rawValue(Preset preset) {
    switch (preset) {
        case Preset::automatic:
            return "auto";
        case Preset::smart:
            return "smart";
        case Preset::balanced:
            return "balanced";
        case Preset::max:
            return "max";
    }
    return {};
}

std::optional<Preset> presetFromRaw(std::string_view raw) {
    for (auto preset : kAllPresets) {
        if (rawValue(preset) == raw) return preset;
    }
    return std::nullopt;
}

std::string_view displayName(Preset preset) {
    switch (preset) {
        case Preset::automatic:
            return "Auto";
        case Preset::smart:
            return "Smart";
        case Preset::balanced:
            return "Balanced";
        case Preset::max:
            return "Max";
    }
    return {};
}

std::string_view rawValue(DisplayMode mode) {
    return mode == DisplayMode::notch ? "notch" : "menu";
}

std::string_view rawValue(TemperatureUnit unit) {
    return unit == TemperatureUnit::fahrenheit ? "fahrenheit" : "celsius";
}

std::optional<TemperatureUnit> temperatureUnitFromRaw(std::string_view raw) {
    for (auto unit : {TemperatureUnit::celsius, TemperatureUnit::fahrenheit}) {
        if (rawValue(unit) == raw) return unit;
    }
    return std::nullopt;
}

std::string_view rawValue(PowerSource source) {
    return source == PowerSource::battery ? "battery" : "charger";
}

std::string_view rawValue(AlertKind kind) {
    switch (kind) {
        case AlertKind::safetyBoost:
            return "safety-boost";
        case AlertKind::stuckFan:
            return "stuck-fan";
        case AlertKind::helperUnreachable:
            return "helper-unreachable";
    }
    return {};
}

std::optional<int> CustomPercentages::operator[](Preset preset) const {
    if (preset == Preset::balanced) return balanced;
    if (preset == Preset::max) return max;
    return std::nullopt;
}

}  // namespace ventoria::app
