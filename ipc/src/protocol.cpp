#include "ventoria/ipc/protocol.h"

#include <sys/un.h>

#include <string>

#include "ventoria/platform/system_root.h"

namespace ventoria::ipc {

std::filesystem::path socketPath() {
    auto path = platform::servicePath(kServiceName);
    constexpr std::size_t kLongest = sizeof(sockaddr_un::sun_path) - 1;  // and its zero
    if (path.native().size() > kLongest) {
        throw SocketPathTooLong("the helper's socket " + path.string() + " is " +
                                std::to_string(path.native().size()) +
                                " bytes long, and a socket's path holds at most " +
                                std::to_string(kLongest) + ": choose a shorter VENTORIA_SYSROOT");
    }
    return path;
}

}  // namespace ventoria::ipc
