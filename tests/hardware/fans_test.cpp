#include "ventoria/hardware/fans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "ventoria/hardware/smc_codec.h"
#include "ventoria/hardware/smc_fan_control.h"
#include "virtual_mac_test.h"

namespace ventoria::hardware {
namespace {

using sim::FaultKind;
using sim::VirtualMac;
using test::VirtualMacTest;

class FansTest : public VirtualMacTest {
  protected:
    explicit FansTest(sim::Profile profile = sim::Profile::appleSilicon)
        : VirtualMacTest(profile),
          smc(std::make_shared<SMC>()),
          port(std::make_shared<SMCFanControl>(smc)),
          fans(port) {}

    double target(int fan) { return machine().fans.at(static_cast<std::size_t>(fan)).target; }
    bool forced(int fan) { return machine().fans.at(static_cast<std::size_t>(fan)).forced; }

    std::shared_ptr<SMC> smc;
    std::shared_ptr<SMCFanControl> port;
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
    advance(61);  // the count is read again once a minute
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
    EXPECT_THROW(port->setMode(0, true), SMCError);
    EXPECT_FALSE(fans.isManual(0));
    smc->write("Ftst", {1});
    port->setMode(0, true);
    EXPECT_TRUE(fans.isManual(0));
}

TEST_F(FansTest, TheForcedControlSwitchIsWrittenOnlyWhenItDiffers) {
    EXPECT_EQ(port->update("Ftst", 1.0), KeyUpdate::written);
    EXPECT_EQ(port->update("Ftst", 1.0), KeyUpdate::unchanged);
    EXPECT_EQ(port->update("Ftst", 1.5), KeyUpdate::unchanged);
    EXPECT_EQ(port->update("NoKy", 1.0), KeyUpdate::unchanged);
    EXPECT_EQ(writes("Ftst"), 1u);
}

TEST_F(FansTest, AFanWithoutATargetKeyIsForcedButGetsNoTarget) {
    fault("F1Tg", FaultKind::missing);
    fans.apply(1.0);
    EXPECT_TRUE(fans.apply(1.0));  // nothing more it could write
    EXPECT_TRUE(forced(1));
    EXPECT_EQ(writes("F1Tg"), 0u);
}

// What a failing SMC leaves the fans doing: a fan whose target cannot be written stays with
// the machine rather than held at a speed nobody chose, the other follows the request, and a
// hand-back that cannot finish still leaves no fan forced.
TEST_F(FansTest, ControlNeverThrowsWhenTheSMCFails) {
    fault("F0Tg", FaultKind::kernel, static_cast<int>(0xE00002BC));
    for (int tick = 0; tick < 3; ++tick) EXPECT_NO_THROW(fans.apply(0.7));
    EXPECT_FALSE(forced(0));
    EXPECT_TRUE(forced(1));
    EXPECT_EQ(target(1), 0.7 * 6200);
    fault("Ftst", FaultKind::result, 7);
    for (int tick = 0; tick < 3; ++tick) EXPECT_FALSE(fans.apply(std::nullopt));
    EXPECT_FALSE(forced(0));
    EXPECT_FALSE(forced(1));
}

// A target key that fails now and then: the forced fan keeps what it was last given, and
// stays forced, rather than going back and forth between the request and the machine.
TEST_F(FansTest, ATargetThatFailsNowAndThenKeepsTheFanWhereItWas) {
    fans.apply(0.7);
    auto held = target(0);
    ASSERT_TRUE(forced(0));
    fault("F0Tg", FaultKind::kernel, static_cast<int>(0xE00002BC));
    EXPECT_FALSE(fans.apply(0.5));
    EXPECT_TRUE(forced(0));
    EXPECT_EQ(target(0), held);
    fault("F0Tg", FaultKind::none);
    fans.apply(0.5);
    EXPECT_TRUE(forced(0));
    EXPECT_EQ(target(0), 0.5 * machine().fans[0].max);
}

TEST(FanTargets, LimitsThatAreNoSpeedsGiveNoTarget) {
    EXPECT_EQ(fanTarget(1200, 5000, 0.5), 2500);
    EXPECT_EQ(fanTarget(1200, 5000, 0.0), 1200);
    EXPECT_EQ(fanTarget(1200, 5000, 1.0), 5000);
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<std::optional<double>, std::optional<double>> nonsense[] = {
        {std::nullopt, 5000}, {1200, std::nullopt}, {1200, -100}, {-1, 5000},  {1200, 1200},
        {5000, 1200},         {nan, 5000},          {1200, nan},  {1200, inf}, {0, 2e6},
    };
    for (auto [min, max] : nonsense) {
        EXPECT_EQ(fanTarget(min, max, 1.0), std::nullopt)
            << min.value_or(-999) << "…" << max.value_or(-999);
    }
}

TEST(FanKeys, NamesCarryTheFanNumberWithoutPadding) {
    EXPECT_EQ(fanKey(0, "Ac"), "F0Ac");
    EXPECT_EQ(fanKey(10, "Ac"), "F10Ac");
}

// Handing back is settled only when every fan the machine has is known to be automatic: what
// cannot be read is "not yet", so the loop goes on and finishes once the fault clears.
TEST_F(FansTest, HandingBackWaitsOutWhateverCannotBeRead) {
    const std::pair<const char*, FaultKind> faults[] = {
        {"FNum", FaultKind::missing}, {"FNum", FaultKind::kernel}, {"F0Md", FaultKind::missing},
        {"F1Md", FaultKind::kernel},  {"Ftst", FaultKind::result},
    };
    for (auto [key, kind] : faults) {
        fans.apply(0.7);  // forced, and every key looked up once
        fault(key, kind, kind == FaultKind::kernel ? static_cast<int>(0xE00002BC) : 1);
        advance(61);  // so that the fan count is read again
        for (int call = 0; call < 4; ++call) {
            EXPECT_FALSE(fans.apply(std::nullopt)) << key << ": settled while unreadable";
        }
        fault(key, FaultKind::none);
        bool settled = false;
        for (int call = 0; call < 4 && !settled; ++call) settled = fans.apply(std::nullopt);
        EXPECT_TRUE(settled) << key;
        EXPECT_FALSE(forced(0) || forced(1)) << key;
        EXPECT_EQ(machine().ftst, 0.0) << key;
    }
}

TEST_F(FansTest, AnUnreadableModeKeepsForcedControlOn) {
    fans.apply(0.7);
    fault("F0Md", FaultKind::kernel, static_cast<int>(0xE00002BC));
    fans.apply(std::nullopt);
    fans.apply(std::nullopt);
    EXPECT_FALSE(forced(1));
    EXPECT_EQ(machine().ftst, 1.0);  // fan 0 may still be forced: the switch stays on
}

TEST_F(FansTest, HandingBackNeedsNoSpeedReading) {
    fans.apply(0.7);
    fault("F0Ac", FaultKind::missing);
    fans.apply(std::nullopt);
    EXPECT_FALSE(forced(0));
}

TEST_F(FansTest, AFanWithoutSensibleLimitsIsLeftToTheMachine) {
    const std::pair<const char*, double> limits[] = {
        {"F0Mx", -100}, {"F0Mx", 0}, {"F0Mx", 1000}, {"F0Mn", 9000}, {"F0Mx", std::nan("")}};
    for (auto [key, value] : limits) {
        // A fresh machine each time, so one bad limit does not linger into the next case; a
        // machine booted afresh is a new service, reached by a new connection.
        VirtualMac::create(
            root.path(),
            {.profile = sim::Profile::appleSilicon, .clock = sim::ClockMode::manual, .seed = 1});
        auto fresh = std::make_shared<SMC>();
        Fans on(fresh);
        on.apply(1.0);
        ASSERT_TRUE(forced(0));
        setValue(key, value);
        advance(61);  // limits are read again once a minute
        on.apply(1.0);
        EXPECT_FALSE(forced(0)) << key << " " << value;  // handed back, not driven to 0 rpm
        EXPECT_TRUE(forced(1)) << key << " " << value;
        EXPECT_EQ(target(1), 6200) << key << " " << value;
        auto writtenTarget = fresh->read("F0Tg");
        EXPECT_FALSE(std::isnan(decode(writtenTarget.bytes, writtenTarget.info.type)));
        if (key == limits[std::size(limits) - 1].first && std::isnan(value)) {
            fault("F1Mx", FaultKind::missing);  // unreadable is no better than nonsense
            advance(61);
            on.apply(1.0);
            EXPECT_FALSE(forced(1));
        }
    }
}

// On a Mac each SMC call is a kernel round trip: a steady fixed hold reads the switch and,
// per fan, its mode and target, and nothing else; the count and limits come from the layout.
TEST_F(FansTest, ASteadyHoldReadsFiveKeysAndWritesNothing) {
    fans.apply(0.8);
    fans.apply(0.8);
    mac->resetCounters();
    EXPECT_TRUE(fans.apply(0.8));
    auto calls = machine().calls;
    EXPECT_EQ(calls.readBytes, 5u);
    EXPECT_EQ(calls.readKeyInfo + calls.writeBytes + calls.keyAtIndex, 0u);
    mac->resetCounters();
    EXPECT_EQ(fans.readings().size(), 2u);
    EXPECT_EQ(machine().calls.readBytes, 4u);  // each fan's speed and mode
}

TEST_F(FansTest, LimitsRewrittenByAnotherProgramAreSeenWithinAMinute) {
    fans.apply(1.0);
    EXPECT_EQ(target(0), 5700);
    setValue("F0Mx", 5000);
    advance(59.999);
    fans.apply(1.0);
    EXPECT_EQ(target(0), 5700);  // within the minute the layout stands
    advance(0.001);
    fans.apply(1.0);
    EXPECT_EQ(target(0), 5000);
    EXPECT_EQ(fans.reading(0)->max, 5000);
}

// A mode key that fails only sometimes, on a beat that could fall on the same call at every
// step: the hand-back still ends with every fan automatic and forcing switched off, and says
// so. Without a second try at the write, a failure that fell on it each step kept the fan
// forced for good.
TEST_F(FansTest, AModeKeyThatFailsOnlySometimesIsStillHandedBack) {
    for (std::uint32_t every : {2u, 3u, 4u}) {
        SCOPED_TRACE("F0Md failing every " + std::to_string(every) + " calls");
        for (int step = 0; step < 3; ++step) fans.apply(0.8);
        ASSERT_TRUE(forced(0));
        fault("F0Md", FaultKind::kernel, static_cast<int>(0xE00002BC), every);
        int steps = 0;
        while (steps < 8 && !fans.apply(std::nullopt)) ++steps;
        EXPECT_LT(steps, 8) << "never settled";
        EXPECT_FALSE(forced(0) || forced(1));
        EXPECT_EQ(machine().ftst, 0.0);
        fault("F0Md", FaultKind::none);
    }
}

TEST_F(FansTest, AFailedWriteReadsTheLayoutAgainAtOnce) {
    fans.apply(1.0);
    setValue("F0Mx", 5000);
    fault("F0Tg", FaultKind::kernel, static_cast<int>(0xE00002BC));
    fans.apply(0.5);  // the target write fails
    fault("F0Tg", FaultKind::none);
    fans.apply(1.0);
    EXPECT_EQ(target(0), 5000);
}

// A limit that fails once (or a driver reloaded between the count and the limits) leaves its
// fan to the machine for that step only, not for the minute the layout otherwise stands:
// within it every choice would be accepted and that fan not forced.
TEST_F(FansTest, ALimitThatCouldNotBeReadIsReadAgainAtTheNextStep) {
    fault("F0Mx", FaultKind::missing);
    fans.apply(1.0);
    EXPECT_FALSE(forced(0));
    EXPECT_TRUE(forced(1));
    fault("F0Mx", FaultKind::none);
    fans.apply(1.0);
    EXPECT_TRUE(forced(0));
    EXPECT_EQ(target(0), 5700);
}

TEST_F(FansTest, ACountBeyondTheFanKeysIsClamped) {
    setValue("FNum", 255);
    EXPECT_EQ(fans.fanCount(), kMaxFanCount);
    EXPECT_EQ(fans.readings().size(), 2u);  // only the fans whose keys exist
    EXPECT_FALSE(fans.apply(0.5));
    EXPECT_TRUE(forced(0));
}

// The count shrinks while fans are forced (another program rewrote "FNum", the SMC glitched):
// the fan it no longer names was forced by us all the same, and the hand-back is settled only
// once that fan, too, is known to be automatic. A hold hands it back at once.
TEST_F(FansTest, AFanTheCountStopsNamingIsStillHandedBack) {
    for (bool holding : {false, true}) {
        while (!fans.apply(1.0)) {
        }
        ASSERT_TRUE(forced(0) && forced(1));
        setValue("FNum", 1);
        advance(61);  // the count is read again once a minute
        if (holding) {
            EXPECT_FALSE(fans.apply(1.0));
            EXPECT_FALSE(forced(1));
            EXPECT_TRUE(forced(0));
            EXPECT_TRUE(fans.apply(1.0));
        }
        int steps = 0;
        while (!fans.apply(std::nullopt) && ++steps < 5) {
        }
        EXPECT_LT(steps, 5);
        EXPECT_FALSE(forced(0) || forced(1)) << (holding ? "holding" : "handing back");
        EXPECT_EQ(machine().ftst, 0.0);
        setValue("FNum", 2);
        advance(61);
    }
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
    port->setMode(1, true);
    EXPECT_EQ(mask(), 2);
    EXPECT_TRUE(fans.isManual(1));
    EXPECT_FALSE(fans.isManual(0));
    port->setMode(0, true);
    port->setMode(1, false);
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

TEST_F(MaskFansTest, AFanTheCountStopsNamingLosesItsBitOfTheMask) {
    while (!fans.apply(1.0)) {
    }
    EXPECT_EQ(mask(), 3);
    setValue("FNum", 1);
    advance(61);
    EXPECT_FALSE(fans.apply(std::nullopt));
    EXPECT_EQ(mask(), 0);
    EXPECT_TRUE(fans.apply(std::nullopt));
}

TEST_F(MaskFansTest, AFanWithNeitherKeyCountsAsAutomatic) {
    fault("FS! ", FaultKind::missing);
    EXPECT_NO_THROW(port->setMode(0, true));
    EXPECT_FALSE(fans.isManual(0));
}

// What apply reports across every transition of a fan's mode and target, for both kinds of
// mode key: per-fan "F<i>Md" (Apple silicon) and the "FS! " mask (Intel). A step that changed
// anything is not settled, also one that only switched a fan back to manual; the step after
// it, finding everything as asked, is.
class SettleTransitionsTest : public FansTest, public testing::WithParamInterface<sim::Profile> {
  protected:
    SettleTransitionsTest() : FansTest(GetParam()) {}

    // Someone else hands fan `id` back to the machine behind our back.
    void machineTakesBack(int id) {
        if (GetParam() == sim::Profile::intel) {
            auto read = smc->read("FS! ");
            auto mask = static_cast<int>(decode(read.bytes, read.info.type));
            setValue("FS! ", mask & ~(1 << id));
        } else {
            setValue(fanKey(id, "Md"), 0);
        }
    }
};

TEST_P(SettleTransitionsTest, EachStepThatWritesIsUnsettledAndTheNextSettles) {
    struct Step {
        const char* what;
        std::function<void()> before;
        std::optional<double> fraction;
        bool settled;
    };
    const Step steps[] = {
        // At the minimum, which is also what the idle machine asks: a fan it takes back
        // keeps the same target, so only its mode differs from what was asked.
        {"forcing at the minimum", nullptr, 0.0, false},
        {"held", nullptr, 0.0, true},
        {"fan 2 taken back", [this] { machineTakesBack(1); }, 0.0, false},
        {"forced again", nullptr, 0.0, true},
        {"a new fraction", nullptr, 0.6, false},
        {"held at it", nullptr, 0.6, true},
        {"fan 2's target moved", [this] { setValue("F1Tg", 2000); }, 0.6, false},
        {"target put back", nullptr, 0.6, true},
        {"handing back: modes", nullptr, std::nullopt, false},
    };
    for (const auto& step : steps) {
        if (step.before) step.before();
        EXPECT_EQ(fans.apply(step.fraction), step.settled) << step.what;
    }
    EXPECT_FALSE(forced(0) || forced(1));
    // Apple silicon has "Ftst" to clear as a stage of its own; Intel has no such switch.
    if (GetParam() == sim::Profile::appleSilicon) {
        EXPECT_FALSE(fans.apply(std::nullopt)) << "handing back: Ftst";
    }
    EXPECT_TRUE(fans.apply(std::nullopt)) << "handed back";
}

INSTANTIATE_TEST_SUITE_P(BothModeKeys, SettleTransitionsTest,
                         testing::Values(sim::Profile::appleSilicon, sim::Profile::intel),
                         [](const auto& instance) {
                             return instance.param == sim::Profile::intel ? std::string("Mask")
                                                                          : std::string("PerFan");
                         });

}  // namespace
}  // namespace ventoria::hardware
