#include "ventoria/hardware/control_ports.h"

#include "ventoria/hardware/smc_fan_control.h"
#include "ventoria/hardware/smc_temperatures.h"
#include "ventoria/hardware/sysfs_fan_control.h"
#include "ventoria/hardware/sysfs_temperatures.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::hardware {

ControlPorts openControlPorts() {
    if (fansThroughSysfs()) {
        auto files = std::make_shared<DriverFiles>(sysfsRoot());
        return {std::make_shared<SysfsFanControl>(files, platform::systemPath("/proc")),
                std::make_shared<SysfsTemperatures>(files)};
    }
    auto smc = std::make_shared<SMC>();
    return {std::make_shared<SMCFanControl>(smc), std::make_shared<SMCTemperatures>(smc)};
}

}  // namespace ventoria::hardware
