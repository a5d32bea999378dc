#include "ventoria/platform/system_root.h"

#include <string>

namespace ventoria::platform {

std::filesystem::path systemRoot() {
    return "/";
}

std::filesystem::path systemPath(std::string_view absolute) {
    return std::filesystem::path(absolute);
}

bool onTheMachineItself() {
    return true;
}

std::filesystem::path servicePath(std::string_view name) {
    return systemPath("/var/run/" + std::string(name) + ".socket");
}

}  // namespace ventoria::platform
