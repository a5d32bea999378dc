#include "ventoria/platform/virtual_display.h"

#include "current_machine.h"

namespace ventoria::platform {

std::optional<VirtualNotch> virtualNotch() {
    auto display = currentMachine()->display();
    if (display.notchWidth == 0 || display.notchHeight == 0) return std::nullopt;
    return VirtualNotch{static_cast<int>(display.notchWidth),
                        static_cast<int>(display.notchHeight)};
}

}  // namespace ventoria::platform
