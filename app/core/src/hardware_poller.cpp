#include "ventoria/app/hardware_poller.h"

#include "ventoria/hardware/smc_error.h"

namespace ventoria::app {

HardwarePoller::HardwarePoller(std::optional<hardware::ReadPorts> ports) {
    if (!ports) return;
    temperaturePort_ = ports->temperatures;
    reader_.emplace(ports->fans);
    thermals_.emplace(ports->temperatures);
}

std::unique_ptr<HardwarePoller> HardwarePoller::opened() {
    try {
        return std::make_unique<HardwarePoller>(hardware::openReadPorts());
    } catch (const hardware::SMCError&) {
        return std::make_unique<HardwarePoller>(std::nullopt);
    }
}

FanReadings HardwarePoller::fans() {
    return reader_ ? reader_->readings() : FanReadings{};
}

int HardwarePoller::fanCount() {
    return reader_ ? reader_->fanCount() : 0;
}

std::optional<hardware::ThermalReading> HardwarePoller::temperatures() {
    if (!thermals_) return std::nullopt;
    return thermals_->sample();
}

std::optional<MachineDetails> HardwarePoller::details(const FanReadings& fans) {
    if (!reader_) return std::nullopt;
    if (!sensors_) sensors_.emplace(temperaturePort_);
    return readDetails(fans, *reader_, *sensors_);
}

}  // namespace ventoria::app
