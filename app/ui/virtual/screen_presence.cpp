#include "screen_presence.h"

#include <cstdlib>

namespace ventoria::ui {

bool sessionHasScreen() {
    // A platform chosen by hand (offscreen, vnc) brings its own screen.
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") ||
           std::getenv("QT_QPA_PLATFORM");
}

}  // namespace ventoria::ui
