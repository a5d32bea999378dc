#pragma once

#include <memory>

#include "ventoria/sim/virtual_mac.h"

namespace ventoria::platform {

// The virtual Mac under the current system root, mapped once per root and process. Booted
// with the default profile when the root has none yet. Throws sim::SimError when it cannot be
// mapped at all, and on the machine itself, which is no virtual Mac; a machine whose file changed
// under the process throws sim::MachineGone from its calls.
std::shared_ptr<sim::VirtualMac> currentMachine();

}  // namespace ventoria::platform
