// The application hears of a wake as the helper does: logind's PrepareForSleep(false), here on a
// private bus standing in for the system's.

#include "ventoria/app/wake_notice.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "private_system_bus.h"

namespace ventoria::app {
namespace {

TEST(WakeNoticeTest, OnlyTheWakeIsWordOfAWake) {
    test::PrivateSystemBus bus;
    WakeNotice notice;
    ASSERT_TRUE(notice.watching());
    QSignalSpy woke(&notice, &WakeNotice::woke);
    ASSERT_TRUE(bus.prepareForSleep(true));
    ASSERT_TRUE(bus.prepareForSleep(false));
    ASSERT_TRUE(woke.wait(10'000));  // a guard against a hang, not a timing
    // The going-to-sleep signal came first on the same bus: had it counted, it would be here.
    EXPECT_EQ(woke.count(), 1);
}

}  // namespace
}  // namespace ventoria::app
