#pragma once
// What each connected client last chose, and which choice is in force: the latest. A client
// that leaves, or hands back, withdraws its own choice and nobody else's, and the choice made
// before it applies again. So the application holding Balanced while `ventoriactl select max`
// runs gets Balanced back when the command ends, instead of the fans going to the machine
// behind its back.

#include <utility>
#include <vector>

#include "ventoria/helper/target.h"
#include "ventoria/ipc/fan_helper_protocol.h"

namespace ventoria::helper {

class ClientChoices {
  public:
    // `client`'s choice, now the latest of all. Auto is no choice: it withdraws.
    void choose(ipc::ClientId client, Target target);
    // `client` hands back or has gone: its choice, if any, goes.
    void withdraw(ipc::ClientId client);
    // Everyone's choices go (the helper is stopping).
    void clear() { latestLast_.clear(); }

    // The latest choice of a client still holding one; Auto when there is none.
    Target inForce() const;
    // `client`'s own choice, whether or not it is in force; nothing when it holds none.
    const Target* of(ipc::ClientId client) const;

  private:
    std::vector<std::pair<ipc::ClientId, Target>> latestLast_;
};

}  // namespace ventoria::helper
