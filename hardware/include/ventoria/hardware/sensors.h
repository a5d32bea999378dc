#pragma once
// Every temperature sensor the machine has, for the Details view and `ventoriactl sensors`:
// what each is, where it belongs, and what it reads. The list is built once; reading it costs
// one call per sensor, so it is read only while someone looks.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ventoria/hardware/sensor_group.h"
#include "ventoria/hardware/smc_reader.h"
#include "ventoria/hardware/temperature_port.h"

namespace ventoria::hardware {

struct SensorReading {
    std::string key;
    std::string name;  // empty when the key has no well-known meaning
    SensorGroup group = SensorGroup::other;
    std::optional<double> celsius;  // nothing when unreadable or no temperature at all

    bool operator==(const SensorReading&) const = default;
};

class SensorCatalog {
  public:
    // The SMC's temperature keys: every key that starts with "T" and holds a temperature type.
    explicit SensorCatalog(std::shared_ptr<SMCReader> smc);
    // Never fails: a machine without sensors has an empty list.
    explicit SensorCatalog(std::shared_ptr<TemperaturePort> port);

    // Each sensor read afresh, grouped in the order of SensorGroup and by key within a group.
    // Never throws.
    std::vector<SensorReading> read();
    const std::vector<TemperatureSensor>& sensors() const { return sensors_; }

  private:
    std::shared_ptr<TemperaturePort> port_;
    std::vector<TemperatureSensor> sensors_;  // in the order read() reports them
};

}  // namespace ventoria::hardware
