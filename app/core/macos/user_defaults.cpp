#include "ventoria/app/user_defaults.h"

namespace ventoria::app {

std::unique_ptr<QSettings> userDefaults() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("kestrand.io"), QStringLiteral("ventoria"));
}

std::unique_ptr<UserPreferences> userPreferences() {
    return std::make_unique<UserPreferences>(&userDefaults);
}

}  // namespace ventoria::app
