#pragma once
// What the model reads of the machine at each poll, read-only: the fans, the temperatures and,
// while the Details view is shown, every target and sensor. A machine without an SMC has
// nothing to read, and reads as such.

#include <memory>
#include <optional>

#include "ventoria/app/machine_details.h"
#include "ventoria/app/model_types.h"
#include "ventoria/hardware/read_ports.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::app {

class HardwarePoller {
  public:
    // Nothing: no SMC to read.
    explicit HardwarePoller(std::optional<hardware::ReadPorts> ports);
    // The machine's own ports, or none when its SMC cannot be opened.
    static std::unique_ptr<HardwarePoller> opened();

    FanReadings fans();
    int fanCount();
    // Nothing without an SMC: the last temperatures shown stay.
    std::optional<hardware::ThermalReading> temperatures();
    // Nothing without an SMC. The sensors are listed the first time they are asked for.
    std::optional<MachineDetails> details(const FanReadings& fans);

  private:
    std::shared_ptr<hardware::TemperaturePort> temperaturePort_;
    std::optional<hardware::FanReader> reader_;
    std::optional<hardware::Thermals> thermals_;
    std::optional<hardware::SensorCatalog> sensors_;
};

}  // namespace ventoria::app
