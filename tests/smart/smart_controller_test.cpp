#include "ventoria/smart/smart_controller.h"

#include <gtest/gtest.h>

#include <array>

#include "ventoria/smart/smart_curves.h"

namespace ventoria::smart {
namespace {

constexpr SmartSettings kNormal{0, Aggressiveness::normal};
constexpr std::optional<double> kNone;

TEST(Demand, TheChipCurve) {
    EXPECT_EQ(demand(kNormal, 67.9, kNone, 0), std::make_pair(0.0, SmartDriver::none));
    EXPECT_EQ(demand(kNormal, 68.0, kNone, 0), std::make_pair(25.0, SmartDriver::chip));
    EXPECT_EQ(demand(kNormal, 81.5, kNone, 0), std::make_pair(62.5, SmartDriver::chip));
    EXPECT_EQ(demand(kNormal, 95.0, kNone, 0), std::make_pair(100.0, SmartDriver::chip));
    EXPECT_EQ(demand(kNormal, 100.0, kNone, 0), std::make_pair(100.0, SmartDriver::safety));
    EXPECT_EQ(demand({0, Aggressiveness::gentle}, 86.5, kNone, 0).first, 62.5);
    EXPECT_EQ(demand({0, Aggressiveness::aggressive}, 75.0, kNone, 0).first, 62.5);
}

TEST(Demand, TheChassisCurveAndTheMinimum) {
    EXPECT_EQ(demand(kNormal, kNone, 45.0, 0), std::make_pair(62.5, SmartDriver::chassis));
    EXPECT_EQ(demand(kNormal, kNone, 37.9, 0), std::make_pair(0.0, SmartDriver::none));
    EXPECT_EQ(demand(kNormal, 81.5, 45.0, 0), std::make_pair(62.5, SmartDriver::chip));  // tie
    EXPECT_EQ(demand({62, Aggressiveness::normal}, 81.5, kNone, 0),
              std::make_pair(62.5, SmartDriver::chip));
    EXPECT_EQ(demand({70, Aggressiveness::normal}, 81.5, kNone, 0),
              std::make_pair(70.0, SmartDriver::minimum));
    EXPECT_EQ(demand({40, Aggressiveness::normal}, 50.0, kNone, 0),
              std::make_pair(40.0, SmartDriver::minimum));
    EXPECT_EQ(demand({-5, Aggressiveness::normal}, 50.0, kNone, 0).second, SmartDriver::none);
    EXPECT_EQ(demand({150, Aggressiveness::normal}, 50.0, kNone, 0).first, 150.0);
}

TEST(Demand, PressureForcesFullSpeed) {
    EXPECT_EQ(demand(kNormal, kNone, kNone, 1), std::make_pair(100.0, SmartDriver::safety));
    EXPECT_EQ(demand(kNormal, 40.0, 30.0, 2), std::make_pair(100.0, SmartDriver::safety));
}

TEST(Curves, ShareOneTable) {
    // Every number of both tables: the chart, the helper and a stored setting all read them.
    auto both = [](Aggressiveness a) {
        return std::array{chipCurve(a).start, chipCurve(a).full, chassisCurve(a).start,
                          chassisCurve(a).full};
    };
    EXPECT_EQ(both(Aggressiveness::gentle), (std::array{75.0, 98.0, 42.0, 55.0}));
    EXPECT_EQ(both(Aggressiveness::normal), (std::array{68.0, 95.0, 38.0, 52.0}));
    EXPECT_EQ(both(Aggressiveness::aggressive), (std::array{60.0, 90.0, 35.0, 48.0}));
    EXPECT_EQ(curveLevel(chipCurve(Aggressiveness::normal), 67.5), std::nullopt);
}

// Steps a controller on a clock of its own.
class ControllerTest : public ::testing::Test {
  protected:
    std::optional<double> step(std::optional<double> chip, double afterSeconds = 0.75,
                               int pressure = 0) {
        now += std::chrono::duration_cast<SmartController::Time>(
            std::chrono::duration<double>(afterSeconds));
        return controller.step(chip, kNone, pressure, now);
    }
    const SmartStatus& status() { return controller.status(); }

    SmartController controller{kNormal};
    SmartController::Time now{std::chrono::seconds(1000)};
};

TEST_F(ControllerTest, AFreshControllerWithoutDemandHandsBackAtOnce) {
    EXPECT_EQ(status(), (SmartStatus{Phase::idle, SmartDriver::none, 0.0, 0}));
    EXPECT_EQ(step(60.0), std::nullopt);
    EXPECT_EQ(status(), (SmartStatus{Phase::idle, SmartDriver::none, 0.0, 0}));
}

TEST_F(ControllerTest, TheRiseIsImmediateAndTheFallGlides) {
    EXPECT_EQ(step(95.0), 1.0);
    EXPECT_EQ(status().phase, Phase::boost);
    EXPECT_EQ(status().driver, SmartDriver::chip);
    EXPECT_DOUBLE_EQ(*step(68.0), 0.98875);  // 1.125 points in 0.75 s
    EXPECT_DOUBLE_EQ(status().level, 0.98875);
}

TEST_F(ControllerTest, ALongGapCountsAsFiveSeconds) {
    step(95.0);
    EXPECT_DOUBLE_EQ(*step(68.0, 30.0), 0.925);
}

TEST_F(ControllerTest, AClockThatGoesBackwardsCountsAsNoTime) {
    step(95.0);
    EXPECT_DOUBLE_EQ(*step(68.0, -10.0), 1.0);  // the level does not rise, and does not fall
    step(kNone, 0.0);                           // the cool spell starts here
    step(kNone, -30.0);
    EXPECT_EQ(status().cooldown, 60);  // and the countdown is not stretched
    step(kNone, 30.0);
    EXPECT_EQ(status().cooldown, 30);  // nor held up while the new clock catches up
    step(kNone, -1e6);
    step(kNone, 29.0);
    EXPECT_EQ(status().cooldown, 1);
    EXPECT_EQ(step(kNone, 1.0), std::nullopt);  // handed back on time
}

TEST_F(ControllerTest, ACoolSpellCountsDownSixtySecondsThenHandsBack) {
    controller.settings.minimum = 40;
    step(50.0);
    controller.settings.minimum = 0;
    EXPECT_DOUBLE_EQ(*step(50.0, 0.75), (40 - 1.125) / 100);
    EXPECT_EQ(status().phase, Phase::cooldown);
    EXPECT_EQ(status().cooldown, 60);
    double elapsed = 0;
    while (elapsed < 59.25 - 1e-9) {
        step(50.0);
        elapsed += 0.75;
    }
    EXPECT_EQ(status().cooldown, 1);
    EXPECT_EQ(status().level, 0.0);  // glided to 0 long ago; the fans still held at minimum
    EXPECT_EQ(status().phase, Phase::cooldown);
    EXPECT_EQ(step(50.0), std::nullopt);
    EXPECT_EQ(status(), (SmartStatus{Phase::idle, SmartDriver::none, 0.0, 0}));
    EXPECT_EQ(step(50.0), std::nullopt);
    EXPECT_EQ(status().cooldown, 0);
}

TEST_F(ControllerTest, DemandDuringTheCooldownRestartsIt) {
    step(95.0);
    step(50.0);
    step(50.0, 10.0);
    EXPECT_EQ(status().cooldown, 50);
    step(68.0);  // demand 25 below the decayed level
    EXPECT_EQ(status().phase, Phase::boost);
    EXPECT_EQ(status().cooldown, 0);
    step(50.0);
    EXPECT_EQ(status().cooldown, 60);
}

TEST_F(ControllerTest, SafetyHoldsFullSpeedAndGlidesDownAfterwards) {
    EXPECT_EQ(step(60.0, 0.75, 1), 1.0);
    EXPECT_EQ(status().phase, Phase::safety);
    EXPECT_EQ(status().driver, SmartDriver::safety);
    EXPECT_DOUBLE_EQ(*step(70.0), 0.98875);
    EXPECT_EQ(status().phase, Phase::boost);
}

TEST_F(ControllerTest, AMinimumNeverLetsGo) {
    controller.settings.minimum = 40;
    for (int i = 0; i < 200; ++i) EXPECT_EQ(step(kNone), 0.4);
    EXPECT_EQ(status().driver, SmartDriver::minimum);
    EXPECT_EQ(status().phase, Phase::boost);
}

}  // namespace
}  // namespace ventoria::smart
