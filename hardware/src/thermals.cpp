#include "ventoria/hardware/thermals.h"

#include <notify.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ventoria/hardware/smc_temperatures.h"

namespace ventoria::hardware {
namespace {

constexpr double kSmoothingSeconds = 3.0;
// Beyond this the last value has long faded anyway (ten time constants): a step that long is
// a clock that jumped, and the filter starts again from the reading.
constexpr double kLongestSmoothedStep = 30.0;
constexpr const char* kPressureNotification = "com.apple.system.thermalpressurelevel";

}  // namespace

bool plausibleTemperature(double celsius) {
    return celsius > 10.0 && celsius < 130.0 && celsius != 40.0;
}

Thermals::Thermals(std::shared_ptr<SMCReader> smc, Clock clock)
    : Thermals(std::make_shared<SMCTemperatures>(std::move(smc)), std::move(clock)) {}

Thermals::Thermals(std::shared_ptr<TemperaturePort> port, Clock clock)
    : port_(std::move(port)), clock_(std::move(clock)) {
    for (const auto& sensor : port_->sensors()) {
        if (sensor.group == SensorGroup::chip) chipKeys_.push_back(sensor.key);
        if (sensor.group == SensorGroup::chassis) chassisKeys_.push_back(sensor.key);
    }
    notify_register_check(kPressureNotification, &pressureToken_);
}

std::optional<double> Thermals::hottest(const std::vector<std::string>& keys) {
    std::optional<double> highest;
    for (const auto& key : keys) {
        auto celsius = port_->celsius(key);
        if (celsius && plausibleTemperature(*celsius)) {
            highest = std::max(highest.value_or(*celsius), *celsius);
        }
    }
    return highest;
}

ThermalReading Thermals::sample() {
    auto now = clock_();
    if (auto raw = hottest(chipKeys_)) {
        double elapsed = sampled_ ? std::chrono::duration<double>(now - *sampled_).count() : 0.0;
        // A step of no time, of negative time (the machine's clock started again) or of too
        // much says nothing about how the chip moved: only the reading is trusted then.
        if (!chip_ || !sampled_ || !(elapsed > 0.0 && elapsed <= kLongestSmoothedStep)) {
            chip_ = raw;
        } else {
            double alpha = 1.0 - std::exp(-elapsed / kSmoothingSeconds);
            chip_ = *chip_ + (*raw - *chip_) * alpha;
        }
        sampled_ = now;
        chipMisses_ = 0;
    } else {
        ++chipMisses_;
    }
    return {chip_, hottest(chassisKeys_)};
}

int Thermals::pressureLevel() {
    if (pressureToken_ < 0) return 0;
    std::uint64_t state = 0;
    if (notify_get_state(pressureToken_, &state) != NOTIFY_STATUS_OK) return 0;
    return static_cast<int>(std::min<std::uint64_t>(state, std::numeric_limits<int>::max()));
}

}  // namespace ventoria::hardware
