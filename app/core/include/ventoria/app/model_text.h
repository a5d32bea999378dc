#pragma once
// The short texts and levels the interface shows, as pure functions of the model's values.
// Rounding is to the nearest whole number, halves away from zero; fan 0 is "Fan 1".

#include <QString>
#include <optional>

#include "ventoria/app/model_types.h"

namespace ventoria::app {

// `value` rounded to a whole number, halves away from zero; nothing for what is no number
// or too large to be any reading (1e9 and beyond), which is shown as unknown, never as
// whatever the rounding made of it.
std::optional<long> roundHalfAway(double value);
// "62", or "—" where roundHalfAway() gives nothing.
QString wholeText(double value);

// What every view and the command line say of a machine without fans.
inline constexpr const char* kNoFansText = "No fans detected";

// Temperatures outside this are no temperature any sensor reports: they show as unknown.
inline constexpr double kLowestShownCelsius = -50;
inline constexpr double kHighestShownCelsius = 200;
bool shownTemperature(double celsius);

// Mean speed fraction over the fans (actual / max, at most 1; 0 for a fan without a maximum).
double fanLevel(const FanReadings& fans);
// Mean actual speed, truncated; 0 without fans.
long averageRPM(const FanReadings& fans);
// "—" without fans, "System" under auto, "Off" when the fans stand, else "N %".
QString levelText(const FanReadings& fans, Preset preset);
// "Fan 1: 1200 rpm", one line per fan.
// `text` with a non-breaking space between each number and its unit ("52 °C", "40 %",
// "60 s", "1200 rpm"), for labels that wrap: a unit never starts a line on its own.
QString keepUnitsTogether(QString text);

// Speeds beyond this are not speeds any fan makes; they are shown as unknown.
inline constexpr double kMaxShownRPM = 100000;
// A speed as it is shown, in whole rpm; nothing for one that is not a finite, plausible number.
std::optional<long> shownRPM(double rpm);
// "1200 rpm", or "—" for a speed that is not a finite, plausible number.
QString rpmText(double rpm);
// "—" also for a speed that could not be read at all.
QString rpmText(std::optional<double> rpm);
QString fanSummary(const FanReadings& fans);
// A temperature in `unit`: Celsius as it is, Fahrenheit as 9/5 °C + 32.
double inUnit(double celsius, TemperatureUnit unit);
// "°C" or "°F".
QString unitSymbol(TemperatureUnit unit);
// "—", or the temperature in `unit` rounded to `decimals` and " °C" or " °F". The conversion
// comes before the rounding: 21.7 °C is "71 °F", never 22 °C converted to "72 °F".
QString temperatureText(std::optional<double> celsius, TemperatureUnit unit, int decimals = 0);
// "62°" in `unit`, as the closed notch and the menu bar show it; "—" without a reading.
QString shortTemperatureText(std::optional<double> celsius, TemperatureUnit unit);
// The Smart status in words: "idle, fans off", "cooling, fans off in 37 s", "62 % · CPU 81 °C"…
std::optional<QString> smartDetail(const std::optional<smart::SmartStatus>& status,
                                   const hardware::ThermalReading& temps, TemperatureUnit unit);

// "forced", "automatic", or "mode unknown" where the hardware does not say.
QString modeText(const hardware::FanReading& fan);

// How far a forced fan may run from the speed asked of it and still follow: within a tenth of
// it, or 250 rpm for slow targets. Real fans settle well inside that.
inline constexpr double kFollowShare = 0.1;
inline constexpr double kFollowLeastRPM = 250;
// The speed `fraction` of full speed asks of `fan`; nothing where its limits are no speeds.
std::optional<double> askedRPM(const hardware::FanReading& fan, double fraction);
// `fan` is forced, its speed and the speed asked are known, and it runs far from the latter.
bool offTarget(const hardware::FanReading& fan, double fraction);
// "Fan 2 runs at 3720 rpm, not the 6200 rpm asked".
QString offTargetText(const hardware::FanReading& fan, double fraction);
// The first forced fan that runs far from what the fixed `preset` asks, in those words, at
// this moment; nothing for a fan that follows and for the other presets.
std::optional<QString> offTargetNow(const FanReadings& fans, Preset preset,
                                    const CustomPercentages& custom);

// Everything a preset tile's second line depends on.
struct SubtitleInputs {
    Preset active;
    std::optional<QString> errorMessage;
    bool hasFans;
    CustomPercentages custom;
    std::optional<QString> smartDetail;
};
// A tile's subtitle in its parts: a lead naming what the detail is of ("Smart"), where the line
// has one, and the detail. A view that shows the preset's name beside it shows the detail alone.
struct SubtitleParts {
    std::optional<QString> lead;
    QString detail;

    QString joined() const { return lead ? *lead + QStringLiteral(" · ") + detail : detail; }
    bool operator==(const SubtitleParts&) const = default;
};
SubtitleParts subtitleParts(Preset preset, const SubtitleInputs& inputs);
QString subtitle(Preset preset, const SubtitleInputs& inputs);

// The Smart phase while the smart preset is active.
std::optional<smart::Phase> smartPhase(Preset active,
                                       const std::optional<smart::SmartStatus>& status);
TempTone tone(bool chipTile, Preset active, const std::optional<smart::SmartStatus>& status);
// Lit bars (0…3) of a fixed preset's tile: ceil(percent / 100 × 3 − 0.01).
int bars(std::optional<int> percent);

}  // namespace ventoria::app
