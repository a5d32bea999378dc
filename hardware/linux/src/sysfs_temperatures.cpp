#include "ventoria/hardware/sysfs_temperatures.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>

namespace ventoria::hardware {
namespace {

// hwmon numbers its channels from 1 without a gap; no Mac has this many sensors.
constexpr int kMostSensors = 256;

bool mentions(const std::string& lower, std::span<const std::string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return lower.find(word) != lower.npos; });
}

bool smcKey(std::string_view label) {
    return label.size() == 4 && label.front() == 'T';
}

}  // namespace

SensorGroup labelGroup(std::string_view label) {
    if (smcKey(label)) return sensorGroup(label);
    std::string lower(label);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::array<std::string_view, 5> kChip = {"cpu", "gpu", "soc", "die", "core"};
    constexpr std::array<std::string_view, 6> kChassis = {"ambient", "airflow", "palm",
                                                          "skin",    "chassis", "enclosure"};
    if (mentions(lower, kChip)) return SensorGroup::chip;
    if (mentions(lower, kChassis)) return SensorGroup::chassis;
    if (lower.find("battery") != lower.npos) return SensorGroup::battery;
    return SensorGroup::other;
}

SysfsTemperatures::SysfsTemperatures(std::shared_ptr<DriverFiles> files)
    : files_(std::move(files)),
      coretemp_([sys = files_->sys] { return hwmonNamed(sys, "coretemp"); }) {}

void SysfsTemperatures::listDriver() {
    auto& device = files_->device;
    for (int n = 1; n <= kMostSensors; ++n) {
        auto input = "temp" + std::to_string(n) + "_input";
        if (!device.has(input)) break;
        auto label = device.text("temp" + std::to_string(n) + "_label");
        std::string key = label && !label->empty() ? *label : "temp" + std::to_string(n);
        if (sources_.count(key)) continue;  // a label twice is one sensor to the user
        bool smc = smcKey(key);
        sensors_->push_back({key, smc ? sensorName(key) : std::string{}, labelGroup(key)});
        sources_.emplace(key, Source{&device, input});
    }
}

void SysfsTemperatures::listPackage() {
    for (int n = 1; n <= kMostSensors; ++n) {
        auto input = "temp" + std::to_string(n) + "_input";
        if (!coretemp_.has(input)) return;
        auto label = coretemp_.text("temp" + std::to_string(n) + "_label");
        if (!label || !label->starts_with("Package id")) continue;
        sensors_->push_back({*label, "CPU package (coretemp)", SensorGroup::chip});
        sources_.emplace(*label, Source{&coretemp_, input});
        return;
    }
}

const std::vector<TemperatureSensor>& SysfsTemperatures::sensors() {
    if (sensors_) return *sensors_;
    sensors_.emplace();
    listDriver();
    bool chip = std::any_of(sensors_->begin(), sensors_->end(),
                            [](const auto& sensor) { return sensor.group == SensorGroup::chip; });
    if (!chip) listPackage();
    return *sensors_;
}

std::optional<double> SysfsTemperatures::celsius(const std::string& key) {
    sensors();
    auto found = sources_.find(key);
    if (found == sources_.end()) return std::nullopt;
    auto millidegrees = found->second.device->number(found->second.attribute);
    if (!millidegrees) return std::nullopt;
    return static_cast<double>(*millidegrees) / 1000.0;
}

}  // namespace ventoria::hardware
