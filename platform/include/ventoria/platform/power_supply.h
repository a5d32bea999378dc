#pragma once
// What the Mac runs on right now. Cheap to ask: the model asks on every poll.

#include <optional>

namespace ventoria::platform {

// True on the battery, false on the charger (or a desktop's mains); nothing when the system
// cannot tell.
std::optional<bool> onBattery();

}  // namespace ventoria::platform
