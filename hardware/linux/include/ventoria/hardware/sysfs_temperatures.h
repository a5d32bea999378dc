#pragma once
// The temperatures through the kernel's files: the SMC driver's "temp<N>_input" (m°C) named
// by "temp<N>_label" (applesmc labels each with its SMC key, so the SMC's chip and chassis
// lists still apply; macsmc_hwmon with the device tree's words), and coretemp's package
// temperature as the chip where the SMC's sensors name none.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ventoria/hardware/driver_files.h"
#include "ventoria/hardware/temperature_port.h"

namespace ventoria::hardware {

// The group of a sensor macsmc_hwmon labels in words ("CPU P-core 1", "Airflow left").
SensorGroup labelGroup(std::string_view label);

class SysfsTemperatures final : public TemperaturePort {
  public:
    explicit SysfsTemperatures(std::shared_ptr<DriverFiles> files);

    const std::vector<TemperatureSensor>& sensors() override;
    std::optional<double> celsius(const std::string& key) override;

  private:
    struct Source {
        SysfsDevice* device;
        std::string attribute;
    };
    void listDriver();
    void listPackage();

    std::shared_ptr<DriverFiles> files_;
    SysfsDevice coretemp_;
    std::optional<std::vector<TemperatureSensor>> sensors_;
    std::map<std::string, Source, std::less<>> sources_;
};

}  // namespace ventoria::hardware
