#include "ventoria/platform/machine_clock.h"

#include <atomic>

#include "current_machine.h"

namespace ventoria::platform {

// While the machine cannot be read its clock stands still: time never runs backwards for the
// callers, and nothing they time runs on.
MachineClock::time_point MachineClock::now() {
    static std::atomic<rep> last{0};
    try {
        auto nanos = currentMachine()->now().count();
        last.store(nanos);
        return time_point(duration(nanos));
    } catch (const sim::SimError&) {
        return time_point(duration(last.load()));
    }
}

}  // namespace ventoria::platform
