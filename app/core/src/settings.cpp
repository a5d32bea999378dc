#include "ventoria/app/settings.h"

#include <QSettings>

namespace ventoria::app {
namespace {

const QString kUnitKey = QStringLiteral("temperatureUnit");
const QString kMenuBarTemperatureKey = QStringLiteral("menuBarTemperature");

QString notifyKey(AlertKind kind) {
    return QStringLiteral("notify/") + QString::fromLatin1(rawValue(kind).data());
}

QString powerKey(PowerSource source) {
    return QStringLiteral("power/") + QString::fromLatin1(rawValue(source).data());
}

std::size_t index(AlertKind kind) {
    return static_cast<std::size_t>(kind);
}

std::size_t index(PowerSource source) {
    return static_cast<std::size_t>(source);
}

}  // namespace

Settings::Settings(QSettings& defaults, QObject* parent) : QObject(parent), defaults_(defaults) {
    values_ = stored();
}

Settings::Values Settings::stored() const {
    Values values;
    auto unit = defaults_.value(kUnitKey).toString().toStdString();
    values.unit = temperatureUnitFromRaw(unit).value_or(systemTemperatureUnit());
    values.menuBarTemperature = defaults_.value(kMenuBarTemperatureKey, false).toBool();
    for (auto kind : kAllAlertKinds) {
        values.notifies[index(kind)] = defaults_.value(notifyKey(kind), true).toBool();
    }
    for (auto source : kAllPowerSources) {
        auto raw = defaults_.value(powerKey(source)).toString().toStdString();
        values.powerPresets[index(source)] = presetFromRaw(raw);
    }
    return values;
}

void Settings::take(const Values& values) {
    if (values == values_) return;
    values_ = values;
    emit changed();
}

void Settings::reload() {
    take(stored());
}

bool Settings::notifies(AlertKind kind) const {
    return values_.notifies[index(kind)];
}

std::optional<Preset> Settings::powerPreset(PowerSource source) const {
    return values_.powerPresets[index(source)];
}

void Settings::setTemperatureUnit(TemperatureUnit unit) {
    defaults_.setValue(kUnitKey, QString::fromLatin1(rawValue(unit).data()));
    auto values = values_;
    values.unit = unit;
    take(values);
}

void Settings::setMenuBarTemperature(bool shown) {
    defaults_.setValue(kMenuBarTemperatureKey, shown);
    auto values = values_;
    values.menuBarTemperature = shown;
    take(values);
}

void Settings::setNotifies(AlertKind kind, bool on) {
    defaults_.setValue(notifyKey(kind), on);
    auto values = values_;
    values.notifies[index(kind)] = on;
    take(values);
}

void Settings::setPowerPreset(PowerSource source, std::optional<Preset> preset) {
    if (preset) {
        defaults_.setValue(powerKey(source), QString::fromLatin1(rawValue(*preset).data()));
    } else {
        defaults_.remove(powerKey(source));
    }
    auto values = values_;
    values.powerPresets[index(source)] = preset;
    take(values);
}

}  // namespace ventoria::app
