// The helper hears of a wake the way logind says it: PrepareForSleep(false) on the system bus.
// A private bus daemon stands in for the system's, so the machine's own is never touched.

#include "wake_watch.h"

#include <gtest/gtest.h>

#include <asio/io_context.hpp>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "private_system_bus.h"

namespace ventoria::helper {
namespace {

class WakeWatchTest : public ::testing::Test {
  protected:
    void prepareForSleep(bool sleeping) { ASSERT_TRUE(bus.prepareForSleep(sleeping)); }
    // Runs the I/O loop until `wakes` reaches `count`; a guard against a hang, not a timing.
    void runUntil(const int& wakes, int count) {
        auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (wakes < count && std::chrono::steady_clock::now() < guard) {
            io.run_for(std::chrono::milliseconds(50));
            io.restart();
        }
    }

    test::PrivateSystemBus bus;
    asio::io_context io;
};

TEST_F(WakeWatchTest, OnlyTheWakeIsWordOfAWake) {
    int wakes = 0;
    WakeWatch watch(io, [&wakes] { ++wakes; });
    ASSERT_TRUE(watch.watching());
    prepareForSleep(true);  // going to sleep: nothing to do yet
    prepareForSleep(false);
    runUntil(wakes, 1);
    EXPECT_EQ(wakes, 1);
    prepareForSleep(false);
    runUntil(wakes, 2);
    EXPECT_EQ(wakes, 2);
}

// A bus that goes away (dbus-daemon restarted) is let go, not read from for ever.
TEST_F(WakeWatchTest, ABusThatGoesAwayIsLetGo) {
    int wakes = 0;
    WakeWatch watch(io, [&wakes] { ++wakes; });
    ASSERT_TRUE(watch.watching());
    bus.stop();
    auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (watch.watching() && std::chrono::steady_clock::now() < guard) {
        io.run_for(std::chrono::milliseconds(50));
        io.restart();
    }
    EXPECT_FALSE(watch.watching());
    EXPECT_EQ(wakes, 0);
}

TEST(WakeWatch, WithoutASystemBusItWaitsForNothing) {
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    asio::io_context io;
    WakeWatch watch(io, [] { ADD_FAILURE() << "a wake from nowhere"; });
    EXPECT_FALSE(watch.watching());
    io.run_for(std::chrono::milliseconds(10));
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

}  // namespace
}  // namespace ventoria::helper
