#include <gtest/gtest.h>

#include <cmath>

#include "ventoria/app/alert_policy.h"
#include "ventoria/app/history.h"

namespace ventoria::app {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

HistorySample sampleAt(int second) {
    return {std::chrono::system_clock::time_point(seconds(second)),
            std::chrono::steady_clock::time_point(seconds(second)), second * 1.0, std::nullopt,
            0.5};
}

TEST(History, HoldsHalfAnHourAtThePollsPace) {
    EXPECT_EQ(History::capacityFor(std::chrono::milliseconds(2000)), 900u);
    EXPECT_EQ(History::capacityFor(std::chrono::milliseconds(750)), 2400u);
    EXPECT_EQ(History::capacityFor(std::chrono::hours(1)), 1u);
    EXPECT_EQ(History::capacityFor(std::chrono::milliseconds(0)), 1800000u);
    EXPECT_EQ(History(0).capacity(), 1u);
}

TEST(History, KeepsTheNewestInOrderOnceFull) {
    History history(3);
    EXPECT_TRUE(history.samples().empty());
    history.record(sampleAt(1));
    history.record(sampleAt(2));
    EXPECT_EQ(history.samples(), (std::vector{sampleAt(1), sampleAt(2)}));
    for (int second = 3; second <= 7; ++second) history.record(sampleAt(second));
    EXPECT_EQ(history.size(), 3u);
    EXPECT_EQ(history.capacity(), 3u);
    EXPECT_EQ(history.samples(), (std::vector{sampleAt(5), sampleAt(6), sampleAt(7)}));
}

AlertConditions boosting() {
    AlertConditions conditions;
    conditions.safetyBoost = true;
    return conditions;
}

AlertConditions unreachableHelper() {
    AlertConditions conditions;
    conditions.helperUnreachable = true;
    return conditions;
}

AlertConditions forced(std::optional<double> fraction, FanReadings fans) {
    AlertConditions conditions;
    conditions.forcedFraction = fraction;
    conditions.fans = std::move(fans);
    return conditions;
}

class AlertPolicyTest : public ::testing::Test {
  protected:
    std::vector<Alert> observe(const AlertConditions& conditions, minutes at) {
        return policy.observe(conditions, AlertPolicy::Clock::time_point(at),
                              [this](AlertKind kind) { return kind != refused; });
    }
    std::vector<AlertKind> kinds(const std::vector<Alert>& alerts) {
        std::vector<AlertKind> found;
        for (const auto& alert : alerts) found.push_back(alert.kind);
        return found;
    }

    AlertPolicy policy;
    std::optional<AlertKind> refused;
};

// A condition that lasts is one notification; one that comes back is another, but not within
// ten minutes of the last.
TEST_F(AlertPolicyTest, EachKindOnceWhenItStartsAndAtMostOncePerTenMinutes) {
    auto boost = boosting();
    AlertConditions calm;
    EXPECT_EQ(kinds(observe(boost, minutes(0))), std::vector{AlertKind::safetyBoost});
    EXPECT_TRUE(observe(boost, minutes(1)).empty());  // still the same boost
    EXPECT_TRUE(observe(calm, minutes(2)).empty());
    EXPECT_TRUE(observe(boost, minutes(9)).empty());  // back, but too soon
    EXPECT_TRUE(observe(calm, minutes(10)).empty());
    EXPECT_EQ(kinds(observe(boost, minutes(10))), std::vector{AlertKind::safetyBoost});
    auto unreachable = unreachableHelper();
    EXPECT_EQ(kinds(observe(unreachable, minutes(11))), std::vector{AlertKind::helperUnreachable});
}

TEST_F(AlertPolicyTest, AKindTheUserTurnedOffIsNeverPosted) {
    refused = AlertKind::helperUnreachable;
    auto unreachable = unreachableHelper();
    EXPECT_TRUE(observe(unreachable, minutes(0)).empty());
    EXPECT_TRUE(observe({}, minutes(1)).empty());
    refused.reset();
    EXPECT_EQ(kinds(observe(unreachable, minutes(2))), std::vector{AlertKind::helperUnreachable});
}

// A forced fan asked to turn that reads 0 rpm for three polls in a row; a fan Smart stopped on
// purpose, or one under the machine's control, is not stuck.
TEST_F(AlertPolicyTest, AStuckFanIsAForcedFanStandingStillWhileAskedToTurn) {
    FanReadings stopped = {{0, 2100, 1200, 5700, true}, {1, 0, 1200, 6200, true}};
    auto asked = forced(0.6, stopped);
    EXPECT_TRUE(observe(asked, minutes(0)).empty());
    EXPECT_TRUE(observe(asked, minutes(0)).empty());
    auto alerts = observe(asked, minutes(0));
    ASSERT_EQ(kinds(alerts), std::vector{AlertKind::stuckFan});
    EXPECT_EQ(alerts[0].title, "Fan 2 is not turning");

    FanReadings released = {{0, 0, 1200, 5700, false}};
    // A speed the SMC reports as no number is unknown: no "not turning" for it.
    FanReadings unreadable = {{0, std::nan(""), 1200, 5700, true}};
    const std::pair<const char*, AlertConditions> notStuck[] = {
        {"Smart stopped it", forced(0.0, stopped)},
        {"automatic", forced(std::nullopt, stopped)},
        {"the machine's", forced(0.6, released)},
        {"unreadable", forced(0.6, unreadable)},
    };
    // Each condition for longer than it takes to call a fan stuck, on a policy of its own.
    for (const auto& [why, conditions] : notStuck) {
        AlertPolicy fresh;
        for (int poll = 0; poll < 5; ++poll) {
            EXPECT_TRUE(fresh.observe(conditions, {}, [](AlertKind) { return true; }).empty())
                << why << ", poll " << poll;
        }
    }
}

TEST_F(AlertPolicyTest, AFanThatTurnsAgainStartsItsCountAfresh) {
    FanReadings stopped = {{0, 0, 1200, 5700, true}};
    FanReadings turning = {{0, 900, 1200, 5700, true}};
    auto still = forced(1.0, stopped);
    auto moving = forced(1.0, turning);
    EXPECT_TRUE(observe(still, minutes(0)).empty());
    EXPECT_TRUE(observe(still, minutes(0)).empty());
    EXPECT_TRUE(observe(moving, minutes(0)).empty());
    EXPECT_TRUE(observe(still, minutes(0)).empty());
    EXPECT_TRUE(observe(still, minutes(0)).empty());
    EXPECT_EQ(kinds(observe(still, minutes(0))), std::vector{AlertKind::stuckFan});
}

}  // namespace
}  // namespace ventoria::app
