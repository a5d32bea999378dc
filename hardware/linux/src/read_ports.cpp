#include "ventoria/hardware/read_ports.h"

#include "ventoria/hardware/smc_drivers.h"
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

std::string fanAccess() {
    if (!fansThroughSysfs()) return "the virtual Mac's SMC";
    if (auto driver = findSMCDriver(sysfsRoot())) {
        return "the kernel's " + std::string(driverName(*driver)) + " driver";
    }
    return "no SMC driver of the kernel is loaded (applesmc on Intel and T2 Macs, "
           "macsmc_hwmon on Apple silicon)";
}

}  // namespace ventoria::hardware
