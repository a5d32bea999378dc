#include "ventoria/platform/activated_socket.h"

#include <sys/socket.h>
#include <systemd/sd-daemon.h>

namespace ventoria::platform {

std::optional<int> activatedSocket() {
    // Exactly one, and a listening stream socket: anything else is a unit written wrong.
    if (sd_listen_fds(1) != 1) return std::nullopt;
    int fd = SD_LISTEN_FDS_START;
    if (sd_is_socket_unix(fd, SOCK_STREAM, 1, nullptr, 0) <= 0) return std::nullopt;
    return fd;
}

}  // namespace ventoria::platform
