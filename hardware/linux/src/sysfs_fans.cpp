#include "ventoria/hardware/sysfs_fans.h"

#include "ventoria/hardware/fan_reader.h"

namespace ventoria::hardware {

std::string SysfsFans::attribute(int id, const char* suffix) {
    return "fan" + std::to_string(id + 1) + "_" + suffix;
}

const char* SysfsFans::targetFile() const {
    return files_->driver == SMCDriver::macsmc ? "target" : "output";
}

std::optional<double> SysfsFans::value(int id, const char* suffix) {
    auto number = files_->device.number(attribute(id, suffix));
    if (!number) return std::nullopt;
    return static_cast<double>(*number);
}

std::optional<int> SysfsFans::fanCount() {
    if (!files_->device.folder()) return std::nullopt;
    int count = 0;
    while (count < kMaxFanCount && files_->device.has(attribute(count, "input"))) ++count;
    // The driver may have gone between the folder and the files: then nothing was counted.
    if (!files_->device.folder()) return std::nullopt;
    return count;
}

std::optional<bool> SysfsFans::mode(int id) {
    if (!modeReadable()) return std::nullopt;
    auto manual = files_->device.number(attribute(id, "manual"));
    if (!manual) return std::nullopt;
    return *manual != 0;
}

std::string SysfsFans::unavailable() {
    if (!files_->device.folder() && !files_->driver) {
        return "No supported fan driver is loaded (applesmc or macsmc_hwmon)";
    }
    return "The " + std::string(driverName(*files_->driver)) + " driver is unavailable";
}

}  // namespace ventoria::hardware
