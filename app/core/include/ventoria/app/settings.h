#pragma once
// The user's settings beyond the presets: how temperatures read, the menu bar's temperature,
// which notifications come, and the presets that follow the power source. They live in the
// user defaults beside the presets, so another program (ventoriactl settings) may change them
// while the application runs; reload() takes such a change up.

#include <QObject>
#include <array>
#include <optional>

#include "ventoria/app/model_types.h"

namespace ventoria::app {

class UserPreferences;

// The unit the system prefers: the Mac's measurement setting; Celsius on the virtual Mac.
TemperatureUnit systemTemperatureUnit();

class Settings : public QObject {
    Q_OBJECT

  public:
    explicit Settings(UserPreferences& preferences, QObject* parent = nullptr);

    // The stored unit, or the system's while none is stored.
    TemperatureUnit temperatureUnit() const { return values_.unit; }
    // The chip temperature beside the status item's glyph. Off by default.
    bool menuBarTemperature() const { return values_.menuBarTemperature; }
    // Whether notifications of `kind` are posted. On by default.
    bool notifies(AlertKind kind) const;
    // The preset chosen when the Mac changes to `source`; nothing (the default) leaves the
    // user's choice alone.
    std::optional<Preset> powerPreset(PowerSource source) const;

    // Each stores its setting at once: false when it did not reach the disk (the preferences
    // say why).
    bool setTemperatureUnit(TemperatureUnit unit);
    bool setMenuBarTemperature(bool shown);
    bool setNotifies(AlertKind kind, bool on);
    bool setPowerPreset(PowerSource source, std::optional<Preset> preset);

    // Reads everything again from the defaults; changed() when anything differs.
    void reload();

  signals:
    void changed();

  private:
    struct Values {
        TemperatureUnit unit = TemperatureUnit::celsius;
        bool menuBarTemperature = false;
        std::array<bool, kAllAlertKinds.size()> notifies{true, true, true};
        std::array<std::optional<Preset>, kAllPowerSources.size()> powerPresets{};
        bool operator==(const Values&) const = default;
    };
    Values stored() const;
    void take(const Values& values);

    UserPreferences& preferences_;
    Values values_;
};

}  // namespace ventoria::app
