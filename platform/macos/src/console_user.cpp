#include "ventoria/platform/peer_identity.h"

namespace ventoria::platform {

// The window server gives /dev/console to whoever is logged in at the screen.
std::optional<uid_t> consoleUser() {
    return consoleDeviceOwner();
}

}  // namespace ventoria::platform
