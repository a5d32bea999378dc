#include "ventoria/platform/power_supply.h"

#include "current_machine.h"
#include "ventoria/platform/kernel_power_supply.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::platform {

std::optional<bool> onBattery() {
    // A Linux machine's own kernel, or a virtual one that serves the class.
    auto kernel = systemPath("/sys/class/power_supply");
    if (std::error_code error; std::filesystem::is_directory(kernel, error)) {
        return kernelOnBattery(kernel);
    }
    try {
        return currentMachine()->powerSupply() == sim::PowerSupply::battery;
    } catch (const sim::SimError&) {
        return std::nullopt;  // no machine to ask
    }
}

}  // namespace ventoria::platform
