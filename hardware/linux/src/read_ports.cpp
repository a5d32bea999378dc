#include "ventoria/hardware/read_ports.h"

#include "ventoria/hardware/smc_fans.h"
#include "ventoria/hardware/smc_temperatures.h"
#include "ventoria/hardware/sysfs_fans.h"
#include "ventoria/hardware/sysfs_temperatures.h"

namespace ventoria::hardware {

ReadPorts openReadPorts() {
    if (fansThroughSysfs()) {
        auto files = std::make_shared<DriverFiles>(sysfsRoot());
        return {std::make_shared<SysfsFans>(files), std::make_shared<SysfsTemperatures>(files)};
    }
    auto smc = std::make_shared<SMCReader>();
    return {std::make_shared<SMCFans>(smc), std::make_shared<SMCTemperatures>(smc)};
}

}  // namespace ventoria::hardware
