#include "ventoria/platform/virtual_display.h"

#include "current_machine.h"

namespace ventoria::platform {

std::optional<VirtualNotch> virtualNotch() {
    sim::Display display;
    try {
        display = currentMachine()->display();
    } catch (const sim::SimError&) {
        return std::nullopt;  // no machine, no screen of its
    }
    if (display.notchWidth == 0 || display.notchHeight == 0) return std::nullopt;
    return VirtualNotch{static_cast<int>(display.notchWidth),
                        static_cast<int>(display.notchHeight)};
}

}  // namespace ventoria::platform
