#pragma once
// Who may command the fans: the people at the machine. That is root, the user the helper runs
// as, and the user logged in at the console; nobody else, and nobody the system cannot name.

#include <sys/types.h>

#include <optional>

namespace ventoria::helper {

bool mayCommandFans(std::optional<uid_t> peer, uid_t helperUser, std::optional<uid_t> console);

// The same, with the helper's own user and the console's owner as they are at this moment.
bool mayCommandFans(std::optional<uid_t> peer);

}  // namespace ventoria::helper
