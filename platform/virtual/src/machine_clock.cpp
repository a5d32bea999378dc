#include "ventoria/platform/machine_clock.h"

#include <atomic>

#include "current_machine.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::platform {

// While the machine cannot be read its clock stands still: time never runs backwards for the
// callers, and nothing they time runs on. The machine itself has the kernel's clock, which is
// the one a virtual Mac's real clock runs from.
MachineClock::time_point MachineClock::now() {
    if (onTheMachineItself()) {
        return time_point(std::chrono::duration_cast<duration>(
            std::chrono::steady_clock::now().time_since_epoch()));
    }
    static std::atomic<rep> last{0};
    try {
        auto nanos = currentMachine()->now().count();
        last.store(nanos);
        return time_point(duration(nanos));
    } catch (const sim::SimError&) {
        return time_point(duration(last.load()));
    }
}

// A machine that cannot be read counts as driven: its clock may move the moment it is back.
bool MachineClock::drivenByHand() {
    if (onTheMachineItself()) return false;
    try {
        return currentMachine()->clockMode() == sim::ClockMode::manual;
    } catch (const sim::SimError&) {
        return true;
    }
}

}  // namespace ventoria::platform
