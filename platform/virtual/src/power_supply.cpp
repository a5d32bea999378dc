#include "ventoria/platform/power_supply.h"

#include "current_machine.h"

namespace ventoria::platform {

std::optional<bool> onBattery() {
    try {
        return currentMachine()->powerSupply() == sim::PowerSupply::battery;
    } catch (const sim::SimError&) {
        return std::nullopt;  // no machine to ask
    }
}

}  // namespace ventoria::platform
