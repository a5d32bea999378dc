#include "ventoria/app/user_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

constexpr const char* kDefaultsName = "io.kestrand.ventoria.ini";

const passwd* account() {
    return getpwuid(getuid());
}

std::filesystem::path virtualHome() {
    const passwd* user = account();
    return platform::systemPath("/Users/" +
                                (user ? std::string(user->pw_name) : std::to_string(getuid())));
}

}  // namespace

std::filesystem::path userConfigFolder() {
    if (!platform::onTheMachineItself()) return virtualHome() / ".config";
    // An XDG path must be absolute; a relative one is to be ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
        return config;
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / ".config";
    }
    const passwd* user = account();
    return std::filesystem::path(user && user->pw_dir ? user->pw_dir : "/") / ".config";
}

std::filesystem::path userDefaultsFile() {
    if (!platform::onTheMachineItself())
        return virtualHome() / "Library" / "Preferences" / kDefaultsName;
    return userConfigFolder() / "ventoria" / kDefaultsName;
}

}  // namespace ventoria::app
