#include "ventoria/platform/machine_clock.h"

#include "current_machine.h"

namespace ventoria::platform {

MachineClock::time_point MachineClock::now() {
    return time_point(currentMachine()->now());
}

}  // namespace ventoria::platform
