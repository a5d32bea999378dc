#include <sys/stat.h>

#include "ventoria/platform/peer_identity.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::platform {

std::optional<uid_t> consoleDeviceOwner() {
    struct stat info {};
    if (::stat(systemPath("/dev/console").c_str(), &info) != 0) return std::nullopt;
    return info.st_uid;
}

}  // namespace ventoria::platform
