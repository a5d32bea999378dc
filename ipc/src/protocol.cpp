#include "ventoria/ipc/protocol.h"

#include "ventoria/platform/system_root.h"

namespace ventoria::ipc {

std::filesystem::path socketPath() {
    return platform::servicePath(kServiceName);
}

}  // namespace ventoria::ipc
