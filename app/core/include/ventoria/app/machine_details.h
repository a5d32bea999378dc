#pragma once
// Everything the Details view lists: each fan with its target, and every temperature sensor.

#include <optional>
#include <vector>

#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/sensors.h"

namespace ventoria::app {

struct FanDetail {
    hardware::FanReading reading;
    std::optional<double> target;  // rpm

    bool operator==(const FanDetail&) const = default;
};

struct MachineDetails {
    std::vector<FanDetail> fans;
    std::vector<hardware::SensorReading> sensors;

    bool operator==(const MachineDetails&) const = default;
};

// Adds each fan's target to `fans` (read already) and reads every sensor: one SMC call per
// fan and per sensor. Never throws.
MachineDetails readDetails(const std::vector<hardware::FanReading>& fans,
                           hardware::FanReader& reader, hardware::SensorCatalog& sensors);

}  // namespace ventoria::app
