#include "ventoria/helper/client_choices.h"

#include <algorithm>

namespace ventoria::helper {

void ClientChoices::choose(ipc::ClientId client, Target target) {
    withdraw(client);
    if (!std::holds_alternative<Auto>(target)) latestLast_.emplace_back(client, std::move(target));
}

void ClientChoices::withdraw(ipc::ClientId client) {
    std::erase_if(latestLast_, [client](const auto& held) { return held.first == client; });
}

Target ClientChoices::inForce() const {
    return latestLast_.empty() ? Target(Auto{}) : latestLast_.back().second;
}

const Target* ClientChoices::of(ipc::ClientId client) const {
    auto held = std::find_if(latestLast_.begin(), latestLast_.end(),
                             [client](const auto& entry) { return entry.first == client; });
    return held == latestLast_.end() ? nullptr : &held->second;
}

}  // namespace ventoria::helper
