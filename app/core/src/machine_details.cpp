#include "ventoria/app/machine_details.h"

namespace ventoria::app {

MachineDetails readDetails(const std::vector<hardware::FanReading>& fans,
                           hardware::FanReader& reader, hardware::SensorCatalog& sensors) {
    MachineDetails details;
    for (const auto& fan : fans) details.fans.push_back({fan, reader.target(fan.id)});
    details.sensors = sensors.read();
    return details;
}

}  // namespace ventoria::app
