#include "ventoria/hardware/read_ports.h"

#include "ventoria/hardware/smc_fans.h"
#include "ventoria/hardware/smc_temperatures.h"

namespace ventoria::hardware {

ReadPorts openReadPorts() {
    auto smc = std::make_shared<SMCReader>();
    return {std::make_shared<SMCFans>(smc), std::make_shared<SMCTemperatures>(smc)};
}

std::string fanAccess() {
    return "AppleSMC";
}

}  // namespace ventoria::hardware
