#include "ventoria/hardware/sensors.h"

#include <algorithm>
#include <utility>

#include "ventoria/hardware/smc_temperatures.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::hardware {

SensorCatalog::SensorCatalog(std::shared_ptr<SMCReader> smc)
    : SensorCatalog(std::make_shared<SMCTemperatures>(std::move(smc))) {}

SensorCatalog::SensorCatalog(std::shared_ptr<TemperaturePort> port)
    : port_(std::move(port)), sensors_(port_->sensors()) {
    std::stable_sort(sensors_.begin(), sensors_.end(), [](const auto& a, const auto& b) {
        return std::pair(a.group, std::string_view(a.key)) <
               std::pair(b.group, std::string_view(b.key));
    });
}

std::vector<SensorReading> SensorCatalog::read() {
    std::vector<SensorReading> readings;
    readings.reserve(sensors_.size());
    for (const auto& sensor : sensors_) {
        SensorReading reading{sensor.key, sensor.name, sensor.group, std::nullopt};
        if (auto celsius = port_->celsius(sensor.key); celsius && plausibleTemperature(*celsius)) {
            reading.celsius = celsius;
        }
        readings.push_back(std::move(reading));
    }
    return readings;
}

}  // namespace ventoria::hardware
