#include <systemd/sd-login.h>

#include "ventoria/platform/peer_identity.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::platform {

std::optional<uid_t> consoleUser() {
    // A virtual machine's console is the one under its root, whatever logind says of this one.
    if (onTheMachineItself()) {
        uid_t user = 0;
        // Only a local session has a seat; the seat's active session is the one in front.
        if (sd_seat_get_active("seat0", nullptr, &user) >= 0) return user;
    }
    return consoleDeviceOwner();
}

}  // namespace ventoria::platform
