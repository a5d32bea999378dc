#pragma once
// The way to the machine's fans and sensors for reading, chosen by what the machine offers.

#include <memory>
#include <string>

#include "ventoria/hardware/fan_port.h"
#include "ventoria/hardware/temperature_port.h"

namespace ventoria::hardware {

struct ReadPorts {
    std::shared_ptr<FanPort> fans;
    std::shared_ptr<TemperaturePort> temperatures;
};

// On a Mac, the SMC. Under Linux, the kernel's SMC driver wherever the system root has a
// sysfs (a real machine, or the virtual driver), the virtual Mac's SMC otherwise. Throws
// SMCError when the SMC cannot be opened; a sysfs without a driver opens all the same, and
// its fans are unknown until one loads.
ReadPorts openReadPorts();

// The way openReadPorts() reaches the fans, in words: "AppleSMC", "the kernel's applesmc
// driver", or, where the kernel's files are used and no driver has loaded, a sentence saying so.
std::string fanAccess();

}  // namespace ventoria::hardware
