#include <sys/socket.h>

#include "ventoria/platform/peer_identity.h"

namespace ventoria::platform {

std::optional<uid_t> peerUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
    return credentials.uid;
}

}  // namespace ventoria::platform
