#include "ventoria/ipc/peer_timer.h"

#include <algorithm>
#include <mutex>

namespace ventoria::ipc {

PeerClock::time_point PeerClock::now() {
    static std::mutex mutex;
    static duration last{0};
    static duration behind{0};  // how far the machine's clock has run backwards
    auto machine = platform::MachineClock::now().time_since_epoch();
    std::lock_guard lock(mutex);
    if (machine + behind < last) behind = last - machine;
    last = machine + behind;
    return time_point(last);
}

PeerClock::duration PeerWaitTraits::to_wait_duration(const PeerClock::duration& wait) {
    if (!platform::MachineClock::drivenByHand()) return wait;
    return std::min<PeerClock::duration>(wait, kLookAgain);
}

}  // namespace ventoria::ipc
