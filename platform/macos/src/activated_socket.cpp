#include "ventoria/platform/activated_socket.h"

namespace ventoria::platform {

// launchd starts the helper as a job that binds its own socket.
std::optional<int> activatedSocket() {
    return std::nullopt;
}

}  // namespace ventoria::platform
