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
