#include "ventoria/hardware/control_ports.h"

#include "ventoria/hardware/smc_fan_control.h"
#include "ventoria/hardware/smc_temperatures.h"

namespace ventoria::hardware {

ControlPorts openControlPorts() {
    auto smc = std::make_shared<SMC>();
    return {std::make_shared<SMCFanControl>(smc), std::make_shared<SMCTemperatures>(smc)};
}

}  // namespace ventoria::hardware
