#include "ventoria/app/user_defaults.h"

#include "ventoria/app/user_folder.h"

namespace ventoria::app {

std::unique_ptr<QSettings> userDefaults() {
    return std::make_unique<QSettings>(QString::fromStdString(userDefaultsFile().string()),
                                       QSettings::IniFormat);
}

std::unique_ptr<UserPreferences> userPreferences() {
    return std::make_unique<UserPreferences>(&userDefaults);
}

}  // namespace ventoria::app
