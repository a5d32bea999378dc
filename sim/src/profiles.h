#pragma once

#include "ventoria/sim/machine_state.h"
#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {

// Fills `state` (whose header and mutex the caller owns) with a freshly booted machine.
void buildMachine(MachineState& state, const CreateOptions& options);

}  // namespace ventoria::sim
