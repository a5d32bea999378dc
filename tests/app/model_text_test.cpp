#include "ventoria/app/model_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ventoria::app {
namespace {

using smart::Phase;
using smart::SmartDriver;
using smart::SmartStatus;

hardware::FanReading fan(int id, double actual, double max = 6000) {
    return {id, actual, 1200, max, false};
}

TEST(ModelText, LevelsAndTheirText) {
    FanReadings fans = {fan(0, 1200), fan(1, 0)};
    EXPECT_DOUBLE_EQ(fanLevel(fans), 0.1);
    EXPECT_EQ(averageRPM(fans), 600);
    EXPECT_EQ(levelText(fans, Preset::balanced), "10 %");
    EXPECT_EQ(levelText(fans, Preset::automatic), "System");
    EXPECT_EQ(levelText({fan(0, 0), fan(1, 0)}, Preset::max), "Off");
    EXPECT_EQ(levelText({}, Preset::max), "—");
    EXPECT_DOUBLE_EQ(fanLevel({fan(0, 7000), fan(1, 3000, 0)}), 0.5);  // capped; no maximum
    EXPECT_EQ(levelText({fan(0, 1275)}, Preset::max), "21 %");         // 21.25
    EXPECT_EQ(averageRPM({fan(0, 1000.9), fan(1, 1000.9)}), 1000);
}

TEST(ModelText, FanSummaryCountsFromOne) {
    EXPECT_EQ(fanSummary({fan(0, 1199.7), fan(1, 2400)}), "Fan 1: 1199 rpm\nFan 2: 2400 rpm");
    EXPECT_EQ(fanSummary({}), "");
}

// A speed the SMC gives as NaN or infinity is shown as unknown, never cast to a number.
TEST(ModelText, SpeedsThatAreNotNumbersShowAsUnknown) {
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(rpmText(nan), "—");
    EXPECT_EQ(rpmText(-inf), "—");
    EXPECT_EQ(rpmText(1e300), "—");
    EXPECT_EQ(rpmText(2400.9), "2400 rpm");
    FanReadings fans = {{0, nan, 1200, 5700, true}, {1, 3100, 1200, nan, true}};
    EXPECT_EQ(fanSummary(fans), "Fan 1: —\nFan 2: 3100 rpm");
    EXPECT_EQ(averageRPM(fans), 1550);
    EXPECT_EQ(fanLevel(fans), 0.0);
}

TEST(ModelText, TemperaturesRoundHalvesAwayFromZero) {
    constexpr auto C = TemperatureUnit::celsius;
    EXPECT_EQ(temperatureText(std::nullopt, C), "—");
    EXPECT_EQ(temperatureText(71.6, C), "72 °C");
    EXPECT_EQ(temperatureText(81.5, C), "82 °C");
    EXPECT_EQ(temperatureText(-0.5, C), "-1 °C");
    EXPECT_EQ(temperatureText(81.26, C, 1), "81.3 °C");
}

// A temperature that is no number, or none any sensor reports (a filter fed a clock that ran
// backwards once produced 1e41), is shown as unknown and never reaches a rounding to an
// integer, which would print whatever the conversion made of it.
TEST(ModelText, TemperaturesThatAreNoTemperatureShowAsUnknown) {
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    for (auto unit : {TemperatureUnit::celsius, TemperatureUnit::fahrenheit}) {
        for (double absurd : {nan, inf, -inf, 1e41, -1e41, 201.0, -51.0}) {
            EXPECT_EQ(temperatureText(absurd, unit), "—") << absurd;
            EXPECT_EQ(temperatureText(absurd, unit, 1), "—") << absurd;
            EXPECT_EQ(shortTemperatureText(absurd, unit), "—") << absurd;
        }
    }
    EXPECT_EQ(temperatureText(200.0, TemperatureUnit::celsius), "200 °C");
    EXPECT_EQ(roundHalfAway(nan), std::nullopt);
    EXPECT_EQ(roundHalfAway(1e9), std::nullopt);
    EXPECT_EQ(roundHalfAway(-2.5), -3);
    EXPECT_EQ(wholeText(inf), "—");
    SmartStatus nonsense{Phase::boost, SmartDriver::minimum, nan, 0};
    EXPECT_EQ(smartDetail(nonsense, {}, TemperatureUnit::celsius), "— % · minimum");
    nonsense.level = 7.5;
    EXPECT_EQ(smartDetail(nonsense, {}, TemperatureUnit::celsius), "— % · minimum");
}

// Fahrenheit is converted first and rounded once: rounding the Celsius value first would put
// 21.7 °C at 72 °F instead of 71, and a half-degree boundary on the wrong side.
TEST(ModelText, FahrenheitConvertsBeforeItRounds) {
    constexpr auto F = TemperatureUnit::fahrenheit;
    EXPECT_EQ(temperatureText(std::nullopt, F), "—");
    EXPECT_EQ(temperatureText(0, F), "32 °F");
    EXPECT_EQ(temperatureText(100, F), "212 °F");
    EXPECT_EQ(temperatureText(-40, F), "-40 °F");
    EXPECT_EQ(temperatureText(21.7, F), "71 °F");         // 71.06
    EXPECT_EQ(temperatureText(21.944444, F), "71 °F");    // 71.49999
    EXPECT_EQ(temperatureText(21.9444445, F), "72 °F");   // 71.5000001: halves go up
    EXPECT_EQ(temperatureText(-17.5, F), "1 °F");         // 0.5
    EXPECT_EQ(temperatureText(-18.0555556, F), "-1 °F");  // -0.5000001: away from zero
    EXPECT_EQ(temperatureText(81.3, F, 1), "178.3 °F");
    EXPECT_EQ(keepUnitsTogether("at 150 °F"), "at 150\u00A0°F");
    EXPECT_EQ(unitSymbol(F), "°F");
    EXPECT_EQ(unitSymbol(TemperatureUnit::celsius), "°C");
}

TEST(ModelText, SmartDetailFollowsPhaseAndDriver) {
    hardware::ThermalReading temps{71.6, 40};
    const std::pair<SmartStatus, const char*> rows[] = {
        {{Phase::idle, SmartDriver::none, 0, 0}, "idle, fans off"},
        {{Phase::cooldown, SmartDriver::none, 0.42, 37}, "cooling, fans off in 37 s"},
        {{Phase::boost, SmartDriver::chassis, 0.625, 0}, "63 % · case warm"},
        {{Phase::boost, SmartDriver::chip, 0.42, 0}, "42 % · CPU 72 °C"},
        {{Phase::boost, SmartDriver::minimum, 0.4, 0}, "40 % · minimum"},
        {{Phase::safety, SmartDriver::safety, 1, 0}, "safety boost · 100 %"},
        {{Phase::idle, SmartDriver::none, 0, 0, true}, "no chip temperature, macOS in control"},
    };
    for (const auto& [status, text] : rows) {
        EXPECT_EQ(smartDetail(status, temps, TemperatureUnit::celsius), text);
    }
    EXPECT_EQ(smartDetail(std::nullopt, temps, TemperatureUnit::celsius), std::nullopt);
    EXPECT_EQ(smartDetail(rows[3].first, temps, TemperatureUnit::fahrenheit), "42 % · CPU 161 °F");
}

TEST(ModelText, SubtitlesInTheirOrderOfPrecedence) {
    SubtitleInputs inputs{Preset::balanced, std::nullopt, true, {45, 100}, std::nullopt};
    EXPECT_EQ(subtitle(Preset::automatic, inputs), "Following macOS");
    EXPECT_EQ(subtitle(Preset::balanced, inputs), "Fixed 45 %");
    EXPECT_EQ(subtitle(Preset::smart, inputs), "Smart");
    inputs.smartDetail = "idle, fans off";
    EXPECT_EQ(subtitle(Preset::smart, inputs), "Smart · idle, fans off");
    inputs.hasFans = false;
    EXPECT_EQ(subtitle(Preset::max, inputs), "No fans detected");
    inputs.errorMessage = "Helper install failed: cancelled";
    EXPECT_EQ(subtitle(Preset::balanced, inputs), "Helper install failed: cancelled");
    EXPECT_EQ(subtitle(Preset::max, inputs), "No fans detected");  // only the active tile
}

TEST(ModelText, TonesFollowTheSmartStatusOnly) {
    SmartStatus chipBoost{Phase::boost, SmartDriver::chip, 0.6, 0};
    EXPECT_EQ(tone(true, Preset::smart, chipBoost), TempTone::boost);
    EXPECT_EQ(tone(false, Preset::smart, chipBoost), TempTone::normal);
    SmartStatus caseBoost{Phase::boost, SmartDriver::chassis, 0.6, 0};
    EXPECT_EQ(tone(false, Preset::smart, caseBoost), TempTone::boost);
    SmartStatus safety{Phase::safety, SmartDriver::safety, 1, 0};
    EXPECT_EQ(tone(true, Preset::smart, safety), TempTone::safety);
    EXPECT_EQ(tone(false, Preset::smart, safety), TempTone::normal);
    EXPECT_EQ(tone(true, Preset::max, safety), TempTone::normal);
    EXPECT_EQ(tone(true, Preset::smart, SmartStatus{Phase::cooldown, SmartDriver::none, 0.3, 20}),
              TempTone::normal);
    EXPECT_EQ(smartPhase(Preset::max, safety), std::nullopt);
    EXPECT_EQ(smartPhase(Preset::smart, safety), Phase::safety);
}

TEST(ModelText, PresetBars) {
    const std::pair<int, int> rows[] = {{0, 0},  {33, 1}, {34, 2}, {60, 2},
                                        {66, 2}, {67, 3}, {100, 3}};
    for (auto [percent, lit] : rows) EXPECT_EQ(bars(percent), lit) << percent;
    EXPECT_EQ(bars(std::nullopt), 0);
}

}  // namespace
}  // namespace ventoria::app
