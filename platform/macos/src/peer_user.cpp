#include <unistd.h>

#include "ventoria/platform/peer_identity.h"

namespace ventoria::platform {

std::optional<uid_t> peerUser(int fd) {
    uid_t user = 0;
    gid_t group = 0;
    if (getpeereid(fd, &user, &group) != 0) return std::nullopt;
    return user;
}

}  // namespace ventoria::platform

namespace ventoria::platform {

// A Mac's poll sets POLLHUP as soon as the peer stops sending, so a peer that closed entirely
// looks like one that only shut its sending side; the helper then relies on the protocol's
// timeout to forget what such a peer asked.
bool peerClosedEntirely(int) {
    return false;
}

}  // namespace ventoria::platform
