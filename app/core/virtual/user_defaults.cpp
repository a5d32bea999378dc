#include "ventoria/app/user_defaults.h"

#include <pwd.h>
#include <unistd.h>

#include <string>

#include "ventoria/platform/system_root.h"

namespace ventoria::app {

std::unique_ptr<QSettings> userDefaults() {
    const passwd* user = getpwuid(getuid());
    std::string name = user ? user->pw_name : std::to_string(getuid());
    auto path =
        platform::systemPath("/Users/" + name + "/Library/Preferences/io.kestrand.ventoria.ini");
    return std::make_unique<QSettings>(QString::fromStdString(path.string()), QSettings::IniFormat);
}

std::unique_ptr<UserPreferences> userPreferences() {
    return std::make_unique<UserPreferences>(&userDefaults);
}

}  // namespace ventoria::app
