#include "ventoria/hardware/fans.h"

#include <gtest/gtest.h>

#include "ventoria/hardware/smc_codec.h"
#include "virtual_mac_test.h"

namespace ventoria::hardware {
namespace {

using sim::FaultKind;
using testing::VirtualMacTest;

class FansTest : public VirtualMacTest {
  protected:
    explicit FansTest(sim::Profile profile = sim::Profile::appleSilicon)
        : VirtualMacTest(profile), smc(std::make_shared<SMC>()), fans(smc) {}

    double target(int fan) { return machine().fans.at(static_cast<std::size_t>(fan)).target; }
    bool forced(int fan) { return machine().fans.at(static_cast<std::size_t>(fan)).forced; }

    std::shared_ptr<SMC> smc;
    Fans fans;
};

TEST_F(FansTest, ReadingsListEveryFanWithItsSpeeds) {
    auto readings = fans.readings();
    ASSERT_EQ(readings.size(), 2u);
    EXPECT_EQ(readings[1].id, 1);
    EXPECT_NEAR(readings[0].actual, 1200, 10);
    EXPECT_EQ(readings[0].min, 1200);
    EXPECT_EQ(readings[1].max, 6200);
    EXPECT_FALSE(readings[0].manual);
}

TEST_F(FansTest, AFanWhoseSpeedCannotBeReadIsLeftOutAndTheOthersKeepTheirIds) {
    fault("F0Ac", FaultKind::missing);
    auto readings = fans.readings();
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_EQ(readings[0].id, 1);
}

TEST_F(FansTest, UnreadableLimitsReadAsZero) {
    fault("F1Mx", FaultKind::result, 1);
    EXPECT_EQ(fans.reading(1)->max, 0);
    fault("FNum", FaultKind::missing);
    EXPECT_EQ(fans.fanCount(), 0);
    EXPECT_TRUE(fans.readings().empty());
}

TEST_F(FansTest, TheFractionScalesTheMaximumWithinTheFansLimits) {
    setValue("F0Mn", 1200);
    setValue("F0Mx", 5000);
    const std::pair<double, double> cases[] = {{0.5, 2500}, {0.1, 1200}, {1.0, 5000}, {0.0, 1200}};
    for (auto [fraction, expected] : cases) {
        fans.apply(fraction);
        EXPECT_DOUBLE_EQ(target(0), expected) << "fraction " << fraction;
    }
}

TEST_F(FansTest, ForcingTakesOneCallAndThenWritesNothing) {
    EXPECT_FALSE(fans.apply(0.6));
    EXPECT_EQ(machine().ftst, 1.0);
    EXPECT_TRUE(forced(0));
    EXPECT_TRUE(forced(1));
    EXPECT_DOUBLE_EQ(target(1), 3720);
    mac->resetCounters();
    EXPECT_TRUE(fans.apply(0.6));
    EXPECT_EQ(machine().calls.writeBytes, 0u);
}

TEST_F(FansTest, AFanInAutomaticModeIsForcedEvenWhenItsTargetAlreadyMatches) {
    fans.apply(0.0);  // targets at the minimum, which is also what the machine asks for
    fans.apply(std::nullopt);
    fans.apply(std::nullopt);
    EXPECT_FALSE(forced(0));
    EXPECT_FALSE(fans.apply(0.0));
    EXPECT_TRUE(forced(0));
}

TEST_F(FansTest, TargetsWithinOneRpmAreLeftAlone) {
    fans.apply(0.5);
    setValue("F0Tg", 2850.4);  // wanted 2850
    mac->resetCounters();
    EXPECT_TRUE(fans.apply(0.5));
    EXPECT_EQ(writes("F0Tg"), 0u);
    setValue("F0Tg", 2700);  // something else moved it: pulled back within one call
    EXPECT_FALSE(fans.apply(0.5));
    EXPECT_DOUBLE_EQ(target(0), 2850);
}

TEST_F(FansTest, HandingBackTakesThreeCalls) {
    fans.apply(0.8);
    EXPECT_FALSE(fans.apply(std::nullopt));  // both fans back to automatic, "Ftst" untouched
    EXPECT_FALSE(forced(0));
    EXPECT_FALSE(forced(1));
    EXPECT_EQ(machine().ftst, 1.0);
    EXPECT_FALSE(fans.apply(std::nullopt));  // "Ftst" cleared
    EXPECT_EQ(machine().ftst, 0.0);
    EXPECT_TRUE(fans.apply(std::nullopt));  // settled
}

TEST_F(FansTest, AModeKeyRefusesForcingUntilForcedControlIsOn) {
    EXPECT_THROW(fans.setMode(0, true), SMCError);
    EXPECT_FALSE(fans.isManual(0));
    smc->write("Ftst", {1});
    fans.setMode(0, true);
    EXPECT_TRUE(fans.isManual(0));
}

TEST_F(FansTest, TheForcedControlSwitchIsWrittenOnlyWhenItDiffers) {
    EXPECT_FALSE(fans.writeIfDifferent("Ftst", 1.0));
    EXPECT_TRUE(fans.writeIfDifferent("Ftst", 1.0));
    EXPECT_TRUE(fans.writeIfDifferent("Ftst", 1.5));
    EXPECT_TRUE(fans.writeIfDifferent("NoKy", 1.0));
    EXPECT_EQ(writes("Ftst"), 1u);
}

TEST_F(FansTest, AFanWithoutATargetKeyIsForcedButGetsNoTarget) {
    fault("F1Tg", FaultKind::missing);
    fans.apply(1.0);
    EXPECT_TRUE(fans.apply(1.0));  // nothing more it could write
    EXPECT_TRUE(forced(1));
    EXPECT_EQ(writes("F1Tg"), 0u);
}

TEST_F(FansTest, ControlNeverThrowsWhenTheSMCFails) {
    fault("F0Tg", FaultKind::kernel, static_cast<int>(0xE00002BC));
    fault("Ftst", FaultKind::result, 7);
    EXPECT_NO_THROW(fans.apply(0.7));
    EXPECT_NO_THROW(fans.apply(std::nullopt));
}

TEST(FanKeys, NamesCarryTheFanNumberWithoutPadding) {
    EXPECT_EQ(fanKey(0, "Ac"), "F0Ac");
    EXPECT_EQ(fanKey(10, "Ac"), "F10Ac");
}

class MaskFansTest : public FansTest {
  protected:
    MaskFansTest() : FansTest(sim::Profile::intel) {}
    double mask() {
        auto read = smc->read("FS! ");
        return decode(read.bytes, read.info.type);
    }
};

TEST_F(MaskFansTest, WithoutModeKeysTheMaskForcesOneFanPerBit) {
    fans.setMode(1, true);
    EXPECT_EQ(mask(), 2);
    EXPECT_TRUE(fans.isManual(1));
    EXPECT_FALSE(fans.isManual(0));
    fans.setMode(0, true);
    fans.setMode(1, false);
    EXPECT_EQ(mask(), 1);
}

TEST_F(MaskFansTest, WithoutForcedControlSwitchHandingBackSettlesAtOnce) {
    EXPECT_TRUE(fans.apply(std::nullopt));
    EXPECT_FALSE(fans.apply(0.5));
    EXPECT_DOUBLE_EQ(target(0), 3100);  // fpe2 keys hold quarter steps
    EXPECT_TRUE(fans.apply(0.5));
    EXPECT_FALSE(fans.apply(std::nullopt));
    EXPECT_EQ(mask(), 0);
    EXPECT_TRUE(fans.apply(std::nullopt));
}

TEST_F(MaskFansTest, AFanWithNeitherKeyCountsAsAutomatic) {
    fault("FS! ", FaultKind::missing);
    EXPECT_NO_THROW(fans.setMode(0, true));
    EXPECT_FALSE(fans.isManual(0));
}

}  // namespace
}  // namespace ventoria::hardware
