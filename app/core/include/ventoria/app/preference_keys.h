#pragma once
// Every key Ventoria stores in the user's defaults, in one place. They are what an earlier
// version, ventoriactl and the user's defaults domain share, so they never change; and a
// store is Ventoria's own only as far as it holds these.

#include <QString>

#include "ventoria/app/model_types.h"

namespace ventoria::app::keys {

inline const QString kMode = QStringLiteral("mode");
inline const QString kPreset = QStringLiteral("preset");
inline const QString kSmart = QStringLiteral("smart");
inline const QString kTemperatureUnit = QStringLiteral("temperatureUnit");
inline const QString kMenuBarTemperature = QStringLiteral("menuBarTemperature");

// "balanced", "max": a fixed preset's percentage.
QString percentage(Preset preset);
// "notify/stuck-fan": whether alerts of a kind are posted.
QString notify(AlertKind kind);
// "power/battery": the preset chosen when the Mac changes to a power source.
QString power(PowerSource source);

// Whether `key` is one of the above.
bool isVentoria(const QString& key);

}  // namespace ventoria::app::keys
