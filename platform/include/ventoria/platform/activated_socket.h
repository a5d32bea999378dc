#pragma once
// The listening socket a service manager opened for a daemon before starting it (systemd's
// socket activation): the manager owns the socket's file and its permissions, so the daemon
// needs no write access where the socket lives, and a client's first connection starts it.

#include <optional>

namespace ventoria::platform {

// The one listening Unix-domain stream socket passed to this process, taken from the
// environment that named it (so no child inherits the claim); nothing when none was passed.
std::optional<int> activatedSocket();

}  // namespace ventoria::platform
