#include "ventoria/hardware/thermals.h"

#include <gtest/gtest.h>

#include <cmath>

#include "ventoria/hardware/smc.h"
#include "virtual_mac_test.h"

namespace ventoria::hardware {
namespace {

using platform::MachineClock;
using sim::FaultKind;
using test::VirtualMacTest;
using Strings = std::vector<std::string>;

TEST(Plausibility, OnlyReadingsInsideTheWindowCount) {
    EXPECT_TRUE(plausibleTemperature(10.5));
    EXPECT_TRUE(plausibleTemperature(129.9));
    EXPECT_FALSE(plausibleTemperature(10.0));
    EXPECT_FALSE(plausibleTemperature(130.0));
    EXPECT_FALSE(plausibleTemperature(40.0));  // a sensor that never started
    EXPECT_FALSE(plausibleTemperature(std::nan("")));
}

class ThermalsTest : public VirtualMacTest {
  protected:
    explicit ThermalsTest(sim::Profile profile = sim::Profile::appleSilicon)
        : VirtualMacTest(profile),
          smc(std::make_shared<SMCReader>()),
          thermals(smc, [this] { return now; }) {}

    // Every real chip sensor reads `celsius`.
    void chipReads(double celsius) {
        for (const auto& key : thermals.chipKeys()) {
            if (key != "Tp0Z" && key != "Tp0j") setValue(key, celsius);
        }
    }
    void later(double seconds) {
        now += std::chrono::duration_cast<MachineClock::duration>(
            std::chrono::duration<double>(seconds));
    }

    MachineClock::time_point now{};
    std::shared_ptr<SMCReader> smc;
    Thermals thermals;
};

TEST_F(ThermalsTest, SensorsAreFoundByPrefixThenByName) {
    const auto& chip = thermals.chipKeys();
    ASSERT_FALSE(chip.empty());
    for (const auto& key : chip) {
        EXPECT_TRUE(key.starts_with("Tp0") || key.starts_with("Te0") || key.starts_with("Tg"))
            << key;
    }
    EXPECT_TRUE(std::is_sorted(chip.begin(), chip.end()));  // the SMC's index order
    EXPECT_EQ(thermals.chassisKeys(), (Strings{"TaLP", "TaRF"}));
    // And the other way: no chip sensor the machine has is left out.
    for (const auto& key : smc->allKeys()) {
        bool chipSensor = key.starts_with("Tp0") || key.starts_with("Te0") || key.starts_with("Tg");
        if (chipSensor) {
            EXPECT_NE(std::find(chip.begin(), chip.end(), key), chip.end()) << key;
        }
    }
    EXPECT_EQ(chip.size(), 20u);  // the apple-silicon laptop's
}

TEST_F(ThermalsTest, TheHottestPlausibleReadingWins) {
    setValue("TaLP", 45.0);
    setValue("TaRF", 52.5);
    EXPECT_EQ(thermals.hottest({"TaLP", "Tp0Z", "TaRF"}), 52.5);
    setValue("TaLP", 9.0);
    EXPECT_EQ(thermals.hottest({"TaLP", "Tp0Z", "Tp0j"}), std::nullopt);
    fault("TaRF", FaultKind::missing);
    EXPECT_EQ(thermals.hottest({"TaRF"}), std::nullopt);
}

TEST_F(ThermalsTest, TheChipIsSmoothedOverThreeSeconds) {
    chipReads(60.0);
    EXPECT_EQ(thermals.sample().chip, 60.0);
    chipReads(70.0);
    later(3.0);
    EXPECT_NEAR(*thermals.sample().chip, 60 + 10 * (1 - std::exp(-1.0)), 1e-4);
}

// The smoothing trusts only a clock that moved forward by a sensible step: a machine whose
// clock started again at 0 (the virtual Mac re-created under a running helper), a step of no
// time, or one far too long would otherwise feed it a factor that is no weight at all.
TEST_F(ThermalsTest, AStepThatIsNoForwardStepRestartsTheSmoothing) {
    const double steps[] = {-3600.0, -0.5, 0.0, 31.0, 1e7};
    for (double step : steps) {
        chipReads(50.0);
        later(3.0);
        thermals.sample();
        later(3.0);
        thermals.sample();
        chipReads(80.0);
        later(step);
        EXPECT_EQ(thermals.sample().chip, 80.0) << step;  // the reading itself, not a blend
        later(3.0);
        chipReads(70.0);
        EXPECT_NEAR(*thermals.sample().chip, 80 - 10 * (1 - std::exp(-1.0)), 1e-4) << step;
    }
    chipReads(50.0);
    later(3.0);
    double before = *thermals.sample().chip;
    chipReads(80.0);
    later(30.0);  // the longest step still smoothed
    EXPECT_NEAR(*thermals.sample().chip, 80 - (80 - before) * std::exp(-10.0), 1e-9);
}

TEST_F(ThermalsTest, WithoutAReadableChipTheLastValueStandsAndTheGapCounts) {
    chipReads(60.0);
    thermals.sample();
    for (const auto& key : thermals.chipKeys()) fault(key, FaultKind::missing);
    later(6.0);
    EXPECT_EQ(thermals.sample().chip, 60.0);
    for (const auto& key : thermals.chipKeys()) fault(key, FaultKind::none);
    chipReads(90.0);
    later(3.0);  // nine seconds since the last successful sample
    EXPECT_NEAR(*thermals.sample().chip, 60 + 30 * (1 - std::exp(-3.0)), 1e-4);
}

TEST_F(ThermalsTest, TheChassisIsNotSmoothed) {
    setValue("TaLP", 33.0);
    setValue("TaRF", 31.0);
    EXPECT_EQ(thermals.sample().chassis, 33.0);
    setValue("TaLP", 44.0);
    EXPECT_EQ(thermals.sample().chassis, 44.0);
    fault("TaLP", FaultKind::missing);
    fault("TaRF", FaultKind::missing);
    EXPECT_EQ(thermals.sample().chassis, std::nullopt);
}

TEST_F(ThermalsTest, PressureComesFromTheSystem) {
    EXPECT_EQ(thermals.pressureLevel(), 0);
    mac->setPressure(2);
    EXPECT_EQ(thermals.pressureLevel(), 2);
}

TEST_F(ThermalsTest, ASampleCostsOneReadPerListedSensor) {
    thermals.sample();
    mac->resetCounters();
    thermals.sample();
    auto calls = machine().calls;
    EXPECT_EQ(calls.readKeyInfo, 0u);
    EXPECT_EQ(calls.readBytes, thermals.chipKeys().size() + thermals.chassisKeys().size());
    EXPECT_EQ(calls.readBytes, 22u);  // the apple-silicon laptop's sensors, as measured
}

class IntelThermalsTest : public ThermalsTest {
  protected:
    IntelThermalsTest() : ThermalsTest(sim::Profile::intel) {}
};

TEST_F(IntelThermalsTest, NamedKeysInSignedFixedPointGiveTemperatures) {
    EXPECT_EQ(thermals.chipKeys(),
              (Strings{"TC0D", "TC0E", "TC0F", "TC0P", "TCXC", "TG0D", "TG0P"}));
    EXPECT_EQ(thermals.chassisKeys(), (Strings{"TA0P"}));
    auto reading = thermals.sample();
    ASSERT_TRUE(reading.chip);
    EXPECT_NEAR(*reading.chip, 40, 1.5);
    EXPECT_NEAR(*reading.chassis, 30, 1.5);
}

TEST_F(IntelThermalsTest, ANamedKeyIsListedOnceAndNeverThroughALowerCasePrefix) {
    mac->setRaw("Tg0Q", "sp78", {0x3C, 0x00});
    Thermals rebuilt(smc, [this] { return now; });
    EXPECT_EQ(rebuilt.chipKeys(),
              (Strings{"TC0D", "TC0E", "TC0F", "TC0P", "TCXC", "TG0D", "TG0P", "Tg0Q"}));
}

}  // namespace
}  // namespace ventoria::hardware
