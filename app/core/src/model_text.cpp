#include "ventoria/app/model_text.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "ventoria/hardware/fan_target.h"

namespace ventoria::app {

using smart::Phase;
using smart::SmartDriver;

std::optional<long> roundHalfAway(double value) {
    if (!std::isfinite(value) || std::abs(value) >= 1e9) return std::nullopt;
    return std::lround(value);
}

QString wholeText(double value) {
    auto rounded = roundHalfAway(value);
    return rounded ? QString::number(*rounded) : QStringLiteral("—");
}

bool shownTemperature(double celsius) {
    return std::isfinite(celsius) && celsius >= kLowestShownCelsius &&
           celsius <= kHighestShownCelsius;
}

double fanLevel(const FanReadings& fans) {
    if (fans.empty()) return 0;
    double sum = 0;
    for (const auto& fan : fans) {
        // A speed the SMC gave as NaN or infinity is no speed: it counts as nothing.
        if (std::isfinite(fan.actual) && std::isfinite(fan.max) && fan.max > 0) {
            sum += std::clamp(fan.actual / fan.max, 0.0, 1.0);
        }
    }
    return sum / static_cast<double>(fans.size());
}

long averageRPM(const FanReadings& fans) {
    if (fans.empty()) return 0;
    double sum = 0;
    for (const auto& fan : fans) {
        if (std::isfinite(fan.actual)) sum += std::clamp(fan.actual, 0.0, kMaxShownRPM);
    }
    return static_cast<long>(sum / static_cast<double>(fans.size()));
}

QString levelText(const FanReadings& fans, Preset preset) {
    if (fans.empty()) return QStringLiteral("—");
    if (preset == Preset::automatic) return QStringLiteral("System");
    if (averageRPM(fans) == 0) return QStringLiteral("Off");
    return wholeText(fanLevel(fans) * 100) + QStringLiteral(" %");
}

QString fanSummary(const FanReadings& fans) {
    QStringList lines;
    for (const auto& fan : fans) {
        lines << QStringLiteral("Fan %1: %2").arg(fan.id + 1).arg(rpmText(fan.actual));
    }
    return lines.join('\n');
}

QString keepUnitsTogether(QString text) {
    static const QRegularExpression unit(QStringLiteral("(\\d) (%|°C|°F|°|rpm|s\\b)"));
    return text.replace(unit, QStringLiteral("\\1\u00A0\\2"));
}

std::optional<long> shownRPM(double rpm) {
    if (!std::isfinite(rpm) || std::abs(rpm) > kMaxShownRPM) return std::nullopt;
    return static_cast<long>(rpm);
}

QString rpmText(double rpm) {
    auto shown = shownRPM(rpm);
    return shown ? QString::number(*shown) + QStringLiteral(" rpm") : QStringLiteral("—");
}

double inUnit(double celsius, TemperatureUnit unit) {
    return unit == TemperatureUnit::fahrenheit ? celsius * 9.0 / 5.0 + 32.0 : celsius;
}

QString unitSymbol(TemperatureUnit unit) {
    return unit == TemperatureUnit::fahrenheit ? QStringLiteral("°F") : QStringLiteral("°C");
}

QString rpmText(std::optional<double> rpm) {
    return rpm ? rpmText(*rpm) : QStringLiteral("—");
}

QString temperatureText(std::optional<double> celsius, TemperatureUnit unit, int decimals) {
    if (!celsius || !shownTemperature(*celsius)) return QStringLiteral("—");
    double value = inUnit(*celsius, unit);
    auto number = decimals == 0 ? wholeText(value) : QString::number(value, 'f', decimals);
    return number + QStringLiteral(" ") + unitSymbol(unit);
}

QString shortTemperatureText(std::optional<double> celsius, TemperatureUnit unit) {
    if (!celsius || !shownTemperature(*celsius)) return QStringLiteral("—");
    return wholeText(inUnit(*celsius, unit)) + QStringLiteral("°");
}

std::optional<QString> smartDetail(const std::optional<smart::SmartStatus>& status,
                                   const hardware::ThermalReading& temps, TemperatureUnit unit) {
    if (!status) return std::nullopt;
    // The level is the helper's word: a value that is no share of full speed is not shown as one.
    bool share = status->level >= 0 && status->level <= 1;
    auto percent =
        (share ? wholeText(status->level * 100) : QStringLiteral("—")) + QStringLiteral(" %");
    if (status->chipUnreadable) return QStringLiteral("no chip temperature, macOS in control");
    switch (status->phase) {
        case Phase::idle:
            return QStringLiteral("idle, fans off");
        case Phase::cooldown:
            return QStringLiteral("cooling, fans off in %1 s").arg(status->cooldown);
        case Phase::boost:
            if (status->driver == SmartDriver::chassis)
                return percent + QStringLiteral(" · case warm");
            if (status->driver == SmartDriver::chip) {
                return percent + QStringLiteral(" · CPU ") + temperatureText(temps.chip, unit);
            }
            return percent + QStringLiteral(" · minimum");
        case Phase::safety:
            return QStringLiteral("safety boost · 100 %");
    }
    return std::nullopt;
}

std::optional<double> askedRPM(const hardware::FanReading& fan, double fraction) {
    return hardware::fanTarget(fan.min, fan.max, fraction);
}

bool offTarget(const hardware::FanReading& fan, double fraction) {
    auto asked = askedRPM(fan, fraction);
    // Where the mode cannot be read, the speed is the only witness of what the fan does.
    if ((!fan.manual && fan.modeKnown) || !asked || !shownRPM(fan.actual)) return false;
    return std::abs(fan.actual - *asked) > std::max(kFollowLeastRPM, kFollowShare * *asked);
}

QString modeText(const hardware::FanReading& fan) {
    if (!fan.modeKnown) return QStringLiteral("mode unknown");
    return fan.manual ? QStringLiteral("forced") : QStringLiteral("automatic");
}

QString offTargetText(const hardware::FanReading& fan, double fraction) {
    return QStringLiteral("Fan %1 runs at %2, not the %3 asked")
        .arg(fan.id + 1)
        .arg(rpmText(fan.actual))
        .arg(rpmText(askedRPM(fan, fraction).value_or(0)));
}

std::optional<QString> offTargetNow(const FanReadings& fans, Preset preset,
                                    const CustomPercentages& custom) {
    auto percent = custom[preset];
    if (!percent) return std::nullopt;
    for (const auto& fan : fans) {
        if (offTarget(fan, *percent / 100.0)) return offTargetText(fan, *percent / 100.0);
    }
    return std::nullopt;
}

SubtitleParts subtitleParts(Preset preset, const SubtitleInputs& inputs) {
    if (inputs.errorMessage && preset == inputs.active) return {{}, *inputs.errorMessage};
    if (!inputs.hasFans) return {{}, QString::fromLatin1(kNoFansText)};
    switch (preset) {
        case Preset::automatic:
            return {{}, QStringLiteral("Following macOS")};
        case Preset::balanced:
        case Preset::max:
            return {{}, QStringLiteral("Fixed %1 %").arg(inputs.custom[preset].value_or(0))};
        case Preset::smart: {
            auto smart = displayName(Preset::smart);
            auto name = QString::fromLatin1(smart.data(), static_cast<qsizetype>(smart.size()));
            if (!inputs.smartDetail) return {{}, name};
            return {name, *inputs.smartDetail};
        }
    }
    return {};
}

QString subtitle(Preset preset, const SubtitleInputs& inputs) {
    return subtitleParts(preset, inputs).joined();
}

std::optional<smart::Phase> smartPhase(Preset active,
                                       const std::optional<smart::SmartStatus>& status) {
    if (active != Preset::smart || !status) return std::nullopt;
    return status->phase;
}

TempTone tone(bool chipTile, Preset active, const std::optional<smart::SmartStatus>& status) {
    if (!status || active != Preset::smart) return TempTone::normal;
    switch (status->phase) {
        case Phase::idle:
        case Phase::cooldown:
            return TempTone::normal;
        case Phase::boost: {
            auto driver = chipTile ? SmartDriver::chip : SmartDriver::chassis;
            return status->driver == driver ? TempTone::boost : TempTone::normal;
        }
        case Phase::safety:
            return chipTile ? TempTone::safety : TempTone::normal;
    }
    return TempTone::normal;
}

int bars(std::optional<int> percent) {
    double share = static_cast<double>(percent.value_or(0)) / 100.0;
    return std::clamp(static_cast<int>(std::ceil(share * 3 - 0.01)), 0, 3);
}

}  // namespace ventoria::app
