#pragma once
// The chip and chassis temperatures and the machine's thermal pressure level. The sensors are
// those its port puts in the chip and chassis groups, found once when the object is built.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ventoria/hardware/readings.h"
#include "ventoria/hardware/smc_reader.h"
#include "ventoria/hardware/temperature_port.h"
#include "ventoria/platform/machine_clock.h"

namespace ventoria::hardware {

// A single reading counts when it lies strictly between 10 and 130 °C and is not exactly 40.0,
// the value a sensor that never started reports.
bool plausibleTemperature(double celsius);

class Thermals {
  public:
    using Clock = std::function<platform::MachineClock::time_point()>;

    // Over the SMC's temperature keys.
    explicit Thermals(std::shared_ptr<SMCReader> smc, Clock clock = &platform::MachineClock::now);
    // Lists the port's sensors and registers for the thermal pressure notification. Never
    // fails: without sensors there is simply nothing to read.
    explicit Thermals(std::shared_ptr<TemperaturePort> port,
                      Clock clock = &platform::MachineClock::now);

    // Reads every listed sensor afresh. The chip value is the hottest plausible chip reading
    // smoothed with a 3-second time constant; while no chip sensor reads, the last smoothed
    // value stands. A step of the clock that is not forward, or longer than 30 s, starts the
    // smoothing again from the reading. The chassis value is the hottest plausible chassis
    // reading as it is.
    ThermalReading sample();
    // The highest plausible reading among `keys`, or nothing. Never throws.
    std::optional<double> hottest(const std::vector<std::string>& keys);
    // The system's thermal pressure level; 0 when it cannot be read.
    int pressureLevel();
    // How many samples in a row, up to the latest, read no plausible chip temperature: the
    // chip value they reported is that much older than it looks.
    int chipMisses() const { return chipMisses_; }

    const std::vector<std::string>& chipKeys() const { return chipKeys_; }
    const std::vector<std::string>& chassisKeys() const { return chassisKeys_; }

  private:
    std::shared_ptr<TemperaturePort> port_;
    Clock clock_;
    std::vector<std::string> chipKeys_;
    std::vector<std::string> chassisKeys_;
    std::optional<double> chip_;
    std::optional<platform::MachineClock::time_point> sampled_;
    int pressureToken_ = -1;
    int chipMisses_ = 0;
};

}  // namespace ventoria::hardware
