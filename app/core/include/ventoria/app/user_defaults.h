#pragma once

#include <QSettings>
#include <memory>

#include "ventoria/app/user_preferences.h"

namespace ventoria::app {

// The user's defaults for Ventoria: the Mac's user defaults domain, or on Linux a file in the
// user's preferences under the system root, so every system root has its own user.
std::unique_ptr<QSettings> userDefaults();
// The same, with every write checked (user_preferences.h).
std::unique_ptr<UserPreferences> userPreferences();

}  // namespace ventoria::app
