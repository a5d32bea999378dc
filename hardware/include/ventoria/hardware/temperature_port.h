#pragma once
// The machine's temperature sensors as its interface shows them: the SMC's temperature keys
// on a Mac, a kernel driver's labelled sensors on Linux.

#include <optional>
#include <string>
#include <vector>

#include "ventoria/hardware/sensor_group.h"

namespace ventoria::hardware {

struct TemperatureSensor {
    std::string key;   // what the sensor is read by: an SMC key, or the driver's label
    std::string name;  // what it measures, when that is well known; else empty
    SensorGroup group = SensorGroup::other;

    bool operator==(const TemperatureSensor&) const = default;
};

class TemperaturePort {
  public:
    virtual ~TemperaturePort() = default;

    // Every sensor, in the order found; the list is made once and then kept. Never throws.
    virtual const std::vector<TemperatureSensor>& sensors() = 0;
    // One sensor's reading in °C, unjudged; nothing when it cannot be read. Never throws.
    virtual std::optional<double> celsius(const std::string& key) = 0;
};

}  // namespace ventoria::hardware
