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

std::optional<int> CustomPercentages::operator[](Preset preset) const {
    if (preset == Preset::balanced) return balanced;
    if (preset == Preset::max) return max;
    return std::nullopt;
}

}  // namespace ventoria::app
