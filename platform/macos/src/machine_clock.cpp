#include "ventoria/platform/machine_clock.h"

namespace ventoria::platform {

MachineClock::time_point MachineClock::now() {
    return time_point(
        std::chrono::duration_cast<duration>(std::chrono::steady_clock::now().time_since_epoch()));
}

bool MachineClock::drivenByHand() {
    return false;
}

}  // namespace ventoria::platform
