#pragma once
// The timers that bound what peers may do run on the machine's clock, so that a test moving it
// by hand sees each limit act at its exact value. They read it as a clock that never runs
// backwards: a virtual Mac booted afresh starts its clock again from nothing, and a limit set
// before must not wait out all the time the old machine had run.

#include <asio/basic_waitable_timer.hpp>
#include <asio/wait_traits.hpp>

#include "ventoria/platform/machine_clock.h"

namespace ventoria::ipc {

struct PeerClock {
    using duration = platform::MachineClock::duration;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<PeerClock>;
    static constexpr bool is_steady = true;

    // The machine's time, less whatever it has run backwards by so far in this process.
    static time_point now();
};

// A wait sleeps its whole length where the clock runs in real time; where a test drives the
// clock, the helper's I/O thread looks at it again every kLookAgain instead.
struct PeerWaitTraits {
    static constexpr std::chrono::milliseconds kLookAgain{20};

    static PeerClock::duration to_wait_duration(const PeerClock::duration& wait);
    static PeerClock::duration to_wait_duration(const PeerClock::time_point& expiry) {
        return to_wait_duration(expiry - PeerClock::now());
    }
};

using PeerTimer = asio::basic_waitable_timer<PeerClock, PeerWaitTraits>;

}  // namespace ventoria::ipc
