#pragma once
// The virtual Mac's display, which stands for the Mac's screens on Linux.

#include <optional>

namespace ventoria::platform {

struct VirtualNotch {
    int width;   // points
    int height;  // points

    bool operator==(const VirtualNotch&) const = default;
};

// The first screen's camera housing, or nothing when it has none.
std::optional<VirtualNotch> virtualNotch();

}  // namespace ventoria::platform
