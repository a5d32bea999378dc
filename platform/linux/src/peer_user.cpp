#include <poll.h>
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

namespace ventoria::platform {

// Linux reports POLLHUP on a Unix stream socket only once both directions are shut, which a
// peer that merely stopped sending has not done.
bool peerClosedEntirely(int fd) {
    pollfd state{fd, 0, 0};
    return ::poll(&state, 1, 0) == 1 && (state.revents & POLLHUP) != 0;
}

}  // namespace ventoria::platform
