#include "ventoria/hardware/sysfs_fan_control.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "ventoria/hardware/fan_programs.h"
#include "ventoria/hardware/smc_error.h"

namespace ventoria::hardware {
namespace {

bool inRange(int id) {
    return id >= 0 && id < kMaxFanCount;
}

}  // namespace

std::optional<bool> SysfsFanControl::mode(int id) {
    if (modeReadable()) return SysfsFans::mode(id);
    if (!inRange(id) || !commanded_[id]) return std::nullopt;
    if (!commanded_[id]->forced) return false;
    auto now = target(id);
    if (!now || std::abs(*now - static_cast<double>(commanded_[id]->target)) >= 1.0) {
        return std::nullopt;
    }
    return true;
}

void SysfsFanControl::writeTarget(int id, long long rpm) {
    files_->device.write(attribute(id, targetFile()), rpm);
    if (!modeReadable() && inRange(id)) commanded_[id] = Commanded{rpm != 0, rpm};
}

bool SysfsFanControl::setTarget(int id, double rpm) {
    writeTarget(id, std::llround(rpm));
    return true;
}

void SysfsFanControl::setMode(int id, bool manual) {
    if (modeReadable()) {
        files_->device.write(attribute(id, "manual"), manual ? 1 : 0);
        return;
    }
    if (!manual) return writeTarget(id, 0);
    // Forcing is writing a speed: the one this port gave last, or else the one the machine
    // steers to now, so that forcing alone changes nothing the fan does.
    if (inRange(id) && commanded_[id] && commanded_[id]->forced) {
        return writeTarget(id, commanded_[id]->target);
    }
    auto now = target(id);
    if (!now || *now <= 0) throw SMCError::driverRefused(attribute(id, targetFile()), ENODATA);
    writeTarget(id, std::llround(*now));
}

std::optional<std::string> SysfsFanControl::refusal() {
    if (auto other = otherFanProgram(proc_)) {
        return "Another fan program is driving the fans: " + other->name + " (process " +
               std::to_string(other->pid) +
               "). Ventoria leaves the fans to it; stop it to use "
               "Ventoria";
    }
    // The files are root's to write: a helper run as anyone else would fail every write. The
    // program is named as it runs: ventoriactl doctor asks this too, as the user it runs as.
    if (const auto& folder = files_->device.folder();
        folder && ::access((*folder / attribute(0, targetFile())).c_str(), W_OK) != 0 &&
        errno == EACCES) {
        return "The kernel's " + std::string(driverName(*files_->driver)) +
               " files can be written by root alone, and " + program_invocation_short_name +
               " does not run as root";
    }
    if (files_->driver != SMCDriver::macsmc) return std::nullopt;
    std::ifstream parameter(files_->sys / "module/macsmc_hwmon/parameters/fan_control");
    std::string value;
    if (std::getline(parameter, value) && (value == "N" || value == "0")) {
        return "The kernel's macsmc_hwmon driver lets no program set the fans: load it with "
               "fan_control=1, an unsafe parameter that taints the kernel";
    }
    return std::nullopt;
}

}  // namespace ventoria::hardware
