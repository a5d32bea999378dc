#pragma once
// The SMC's temperature keys as sensors: every key that starts with "T" and holds a
// temperature type, grouped by what the key is known to measure.

#include <memory>

#include "ventoria/hardware/smc_reader.h"
#include "ventoria/hardware/temperature_port.h"

namespace ventoria::hardware {

class SMCTemperatures final : public TemperaturePort {
  public:
    explicit SMCTemperatures(std::shared_ptr<SMCReader> smc) : smc_(std::move(smc)) {}

    // Enumerates every key the first time: hundreds of SMC calls, made once.
    const std::vector<TemperatureSensor>& sensors() override;
    std::optional<double> celsius(const std::string& key) override;

  private:
    std::shared_ptr<SMCReader> smc_;
    std::optional<std::vector<TemperatureSensor>> sensors_;
};

}  // namespace ventoria::hardware
