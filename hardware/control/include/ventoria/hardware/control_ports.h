#pragma once
// The way to command the machine's fans, chosen as read_ports.h chooses the way to read them.

#include <memory>

#include "ventoria/hardware/fan_control_port.h"
#include "ventoria/hardware/temperature_port.h"

namespace ventoria::hardware {

struct ControlPorts {
    std::shared_ptr<FanControlPort> fans;
    std::shared_ptr<TemperaturePort> temperatures;
};

// Throws SMCError when the SMC cannot be opened.
ControlPorts openControlPorts();

}  // namespace ventoria::hardware
