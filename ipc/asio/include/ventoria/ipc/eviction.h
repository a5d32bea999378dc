#pragma once
// Which connection gives way when the helper is full. Turning the newcomer away would let
// one user's idle crowd lock everyone out, the person at the machine included; instead the
// user holding the most connections gives one up: one that never asked anything of the fans
// if there is such, and of those the one quiet for longest. A client holding a choice (the
// application under a fixed preset says nothing for hours) thus outlasts a crowd of
// visitors and knockers.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <span>

#include "ventoria/ipc/fan_helper_protocol.h"

namespace ventoria::ipc {

struct OpenConnection {
    ClientId client = 0;
    std::optional<uid_t> user;
    std::chrono::steady_clock::time_point lastHeard;  // when its peer last sent anything
    bool commanded = false;  // it has sent a command (a choice, or a hand-back)
};

// The connection to close to make room; `open` is not empty. Between users with as many
// connections, the one whose candidate has been quiet longest gives way.
ClientId connectionToEvict(std::span<const OpenConnection> open);

}  // namespace ventoria::ipc
