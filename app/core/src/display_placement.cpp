#include "ventoria/app/display_placement.h"

#include <utility>

#include "ventoria/app/preset_store.h"

namespace ventoria::app {

DisplayPlacement::DisplayPlacement(PresetStore& store, QObject* parent)
    : QObject(parent), store_(store), preferredMode_(store.mode()) {}

void DisplayPlacement::setNotchAvailable(bool available) {
    if (std::exchange(notchAvailable_, available) != available) emit changed();
}

void DisplayPlacement::setNotchOpen(bool open) {
    if (std::exchange(notchOpen_, open) != open) emit changed();
}

void DisplayPlacement::setDisplayMode(DisplayMode mode) {
    if (mode == DisplayMode::notch && !notchAvailable_) return;
    store_.setMode(mode);
    bool modeChanged = std::exchange(preferredMode_, mode) != mode;
    bool open = mode == DisplayMode::notch;
    bool openChanged = std::exchange(notchOpen_, open) != open;
    if (modeChanged || openChanged) emit changed();
}

}  // namespace ventoria::app
