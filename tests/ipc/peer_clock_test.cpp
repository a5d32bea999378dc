// The clock the helper bounds its peers by: the machine's, moved by hand here, and never
// backwards. A virtual Mac booted afresh starts its clock again from nothing; read as it was,
// that put every limit already set off by all the time the old machine had run.

#include <gtest/gtest.h>

#include <chrono>

#include "temporary_root.h"
#include "ventoria/ipc/peer_timer.h"
#include "ventoria/sim/virtual_mac.h"

namespace ventoria::ipc {
namespace {

using namespace std::chrono_literals;

TEST(PeerClockTest, RunsWithTheMachineAndNeverBackwards) {
    test::TemporaryRoot root;
    sim::CreateOptions manual{.clock = sim::ClockMode::manual};
    auto mac = sim::VirtualMac::create(root.path(), manual);
    auto start = PeerClock::now();
    mac->advance(100s);
    EXPECT_EQ(PeerClock::now() - start, 100s);
    mac = sim::VirtualMac::create(root.path(), manual);  // the machine's clock is 0 again
    EXPECT_EQ(PeerClock::now() - start, 100s);
    mac->advance(1500ms);
    EXPECT_EQ(PeerClock::now() - start, 101500ms);
}

// A clock moved by hand is looked at again every 20 ms, whatever is waited for; one that runs
// in real time is slept on for the whole wait, as a steady clock's is.
TEST(PeerClockTest, AWaitLooksAgainOnlyWhereTheClockIsDrivenByHand) {
    test::TemporaryRoot root;
    auto mac = sim::VirtualMac::create(root.path(), {.clock = sim::ClockMode::manual});
    EXPECT_EQ(PeerWaitTraits::to_wait_duration(PeerClock::duration(5s)), 20ms);
    EXPECT_EQ(PeerWaitTraits::to_wait_duration(PeerClock::duration(5ms)), 5ms);
    mac = sim::VirtualMac::create(root.path(), {.clock = sim::ClockMode::real});
    EXPECT_EQ(PeerWaitTraits::to_wait_duration(PeerClock::duration(5s)), 5s);
}

}  // namespace
}  // namespace ventoria::ipc
