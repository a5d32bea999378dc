#pragma once
// The machine's monotonic clock. On a Mac it is the system's steady clock; on Linux it is the
// virtual Mac's clock, which runs in real time unless a test drives it by hand.

#include <chrono>

namespace ventoria::platform {

struct MachineClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<MachineClock>;
    static constexpr bool is_steady = true;

    static time_point now();
    // Whether a test moves the clock by hand, so that a wait on it must look at it again
    // often rather than sleep its whole length in real time.
    static bool drivenByHand();
};

}  // namespace ventoria::platform
