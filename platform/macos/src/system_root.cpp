#include "ventoria/platform/system_root.h"

namespace ventoria::platform {

std::filesystem::path systemRoot() {
    return "/";
}

std::filesystem::path systemPath(std::string_view absolute) {
    return std::filesystem::path(absolute);
}

}  // namespace ventoria::platform
