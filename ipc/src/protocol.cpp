#include "ventoria/ipc/protocol.h"

#include <string>

#include "ventoria/platform/system_root.h"

namespace ventoria::ipc {

std::filesystem::path socketPath() {
    return platform::systemPath("/var/run/" + std::string(kServiceName) + ".socket");
}

}  // namespace ventoria::ipc
