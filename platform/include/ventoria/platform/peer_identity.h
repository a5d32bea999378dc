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

// The user at the machine. On a Mac, the owner of /dev/console (root while nobody is logged
// in). On Linux, where /dev/console stays root's, the user of the active session on seat0 as
// systemd-logind records it; a session over ssh has no seat and an inactive one is not the
// seat's active one. Where the system root is not the machine's own, or logind keeps no seats,
// the owner of /dev/console under the system root, as on a Mac. Nothing when it cannot be read.
std::optional<uid_t> consoleUser();
// The owner of /dev/console under the system root; nothing when it cannot be read.
std::optional<uid_t> consoleDeviceOwner();

}  // namespace ventoria::platform
