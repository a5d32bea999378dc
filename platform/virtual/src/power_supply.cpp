#include "ventoria/platform/power_supply.h"

#include "current_machine.h"

namespace ventoria::platform {

std::optional<bool> onBattery() {
    return currentMachine()->powerSupply() == sim::PowerSupply::battery;
}

}  // namespace ventoria::platform
