#include "ventoria/helper/admission.h"

#include <unistd.h>

#include "ventoria/platform/peer_identity.h"

namespace ventoria::helper {

bool mayCommandFans(std::optional<uid_t> peer, uid_t helperUser, std::optional<uid_t> console) {
    if (!peer) return false;
    return *peer == 0 || *peer == helperUser || *peer == console;
}

bool mayCommandFans(std::optional<uid_t> peer) {
    return mayCommandFans(peer, geteuid(), platform::consoleUser());
}

}  // namespace ventoria::helper
