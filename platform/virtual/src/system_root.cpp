#include "ventoria/platform/system_root.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace ventoria::platform {

std::filesystem::path systemRoot() {
    if (const char* root = std::getenv("VENTORIA_SYSROOT"); root && *root) return root;
#ifdef VENTORIA_SYSTEM_ROOT
    return VENTORIA_SYSTEM_ROOT;  // a build for the machine itself, as the package is
#else
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        return std::filesystem::path(state) / "ventoria" / "root";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / ".local" / "state" / "ventoria" / "root";
    }
    return std::filesystem::path("/tmp") / ("ventoria-" + std::to_string(getuid())) / "root";
#endif
}

std::filesystem::path systemPath(std::string_view absolute) {
    while (!absolute.empty() && absolute.front() == '/') absolute.remove_prefix(1);
    return systemRoot() / absolute;
}

bool onTheMachineItself() {
    return systemRoot() == "/";
}

std::filesystem::path servicePath(std::string_view name) {
    return systemPath("/var/run/" + std::string(name) + ".socket");
}

}  // namespace ventoria::platform
