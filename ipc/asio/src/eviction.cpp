#include "ventoria/ipc/eviction.h"

#include <cassert>
#include <map>

namespace ventoria::ipc {

ClientId connectionToEvict(std::span<const OpenConnection> open) {
    assert(!open.empty());
    struct Holdings {
        std::size_t count = 0;
        const OpenConnection* quietest = nullptr;  // the first to go of this user's
    };
    // Whether `a` goes before `b`: a connection that never commanded the fans first, then
    // the one quiet for longer.
    auto before = [](const OpenConnection& a, const OpenConnection& b) {
        if (a.commanded != b.commanded) return !a.commanded;
        return a.lastHeard < b.lastHeard;
    };
    std::map<std::optional<uid_t>, Holdings> byUser;
    for (const auto& connection : open) {
        auto& held = byUser[connection.user];
        ++held.count;
        if (!held.quietest || before(connection, *held.quietest)) held.quietest = &connection;
    }
    const Holdings* chosen = nullptr;
    for (const auto& [user, held] : byUser) {
        if (!chosen || held.count > chosen->count ||
            (held.count == chosen->count && before(*held.quietest, *chosen->quietest))) {
            chosen = &held;
        }
    }
    return chosen->quietest->client;
}

}  // namespace ventoria::ipc
