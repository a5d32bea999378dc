#include "ventoria/app/preference_keys.h"

namespace ventoria::app::keys {

QString percentage(Preset preset) {
    return QString::fromLatin1(rawValue(preset).data());
}

QString notify(AlertKind kind) {
    return QStringLiteral("notify/") + QString::fromLatin1(rawValue(kind).data());
}

QString power(PowerSource source) {
    return QStringLiteral("power/") + QString::fromLatin1(rawValue(source).data());
}

bool isVentoria(const QString& key) {
    for (const auto* fixed : {&kMode, &kPreset, &kSmart, &kTemperatureUnit, &kMenuBarTemperature}) {
        if (key == *fixed) return true;
    }
    for (auto preset : {Preset::balanced, Preset::max}) {
        if (key == percentage(preset)) return true;
    }
    for (auto kind : kAllAlertKinds) {
        if (key == notify(kind)) return true;
    }
    for (auto source : kAllPowerSources) {
        if (key == power(source)) return true;
    }
    return false;
}

}  // namespace ventoria::app::keys
