#include "ventoria/app/settings.h"

#include "ventoria/app/preference_keys.h"
#include "ventoria/app/user_preferences.h"

namespace ventoria::app {
namespace {

std::size_t index(AlertKind kind) {
    return static_cast<std::size_t>(kind);
}

std::size_t index(PowerSource source) {
    return static_cast<std::size_t>(source);
}

}  // namespace

Settings::Settings(UserPreferences& preferences, QObject* parent)
    : QObject(parent), preferences_(preferences) {
    values_ = stored();
}

Settings::Values Settings::stored() const {
    Values values;
    auto unit = preferences_.value(keys::kTemperatureUnit).toString().toStdString();
    values.unit = temperatureUnitFromRaw(unit).value_or(systemTemperatureUnit());
    values.menuBarTemperature = preferences_.value(keys::kMenuBarTemperature, false).toBool();
    for (auto kind : kAllAlertKinds) {
        values.notifies[index(kind)] = preferences_.value(keys::notify(kind), true).toBool();
    }
    for (auto source : kAllPowerSources) {
        auto raw = preferences_.value(keys::power(source)).toString().toStdString();
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

bool Settings::setTemperatureUnit(TemperatureUnit unit) {
    bool stored =
        preferences_.set(keys::kTemperatureUnit, QString::fromLatin1(rawValue(unit).data()));
    auto values = values_;
    values.unit = unit;
    take(values);
    return stored;
}

bool Settings::setMenuBarTemperature(bool shown) {
    bool stored = preferences_.set(keys::kMenuBarTemperature, shown);
    auto values = values_;
    values.menuBarTemperature = shown;
    take(values);
    return stored;
}

bool Settings::setNotifies(AlertKind kind, bool on) {
    bool stored = preferences_.set(keys::notify(kind), on);
    auto values = values_;
    values.notifies[index(kind)] = on;
    take(values);
    return stored;
}

bool Settings::setPowerPreset(PowerSource source, std::optional<Preset> preset) {
    std::optional<QVariant> value;
    if (preset) value = QString::fromLatin1(rawValue(*preset).data());
    bool stored = preferences_.set(keys::power(source), value);
    auto values = values_;
    values.powerPresets[index(source)] = preset;
    take(values);
    return stored;
}

}  // namespace ventoria::app
