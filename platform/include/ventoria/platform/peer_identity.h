#pragma once
// Who is at the other end of a local socket, and who sits at the machine.

#include <sys/types.h>

#include <optional>

namespace ventoria::platform {

// The effective user id of the process at the other end of the connected Unix-domain socket
// `fd`, as the kernel recorded it; nothing when the system cannot tell.
std::optional<uid_t> peerUser(int fd);

// True when the peer of the connected Unix-domain socket `fd` has closed it entirely, not
// only its sending side. False when it has not, and where the system cannot tell the two
// apart (a Mac's poll reports both alike).
bool peerClosedEntirely(int fd);

// The user logged in at the machine's console: the owner of /dev/console under the system
// root (root while nobody is logged in); nothing when it cannot be read.
std::optional<uid_t> consoleUser();

}  // namespace ventoria::platform
