#pragma once
// What one look at the fans and the temperatures found: plain values that travel to the views
// and the command line without the readers that produced them.

#include <optional>

namespace ventoria::hardware {

struct FanReading {
    int id = 0;         // counting from 0; the number in the fan's key names
    double actual = 0;  // rpm
    double min = 0;     // rpm; 0 when unreadable
    double max = 0;     // rpm; 0 when unreadable
    bool manual = false;
    // False where the hardware does not say whether a fan is forced (Apple silicon under
    // Linux): `manual` is then no claim either way.
    bool modeKnown = true;

    bool operator==(const FanReading&) const = default;
};

struct ThermalReading {
    std::optional<double> chip;     // °C, smoothed
    std::optional<double> chassis;  // °C

    bool operator==(const ThermalReading&) const = default;
};

}  // namespace ventoria::hardware
