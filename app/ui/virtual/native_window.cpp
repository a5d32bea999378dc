// The virtual Mac: Qt's flags are the whole story. The notch panel bypasses the window manager so
// it may sit over a top panel; a click elsewhere deactivates it, which the panel itself sees.

#include "native_window.h"

namespace ventoria::ui {

Qt::WindowFlags notchPanelFlags() {
    return Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
           Qt::X11BypassWindowManagerHint;
}

Qt::WindowFlags editorFlags() {
    return Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}

bool systemDrawsCloseControl() {
    return false;
}

void styleNotchPanel(QWidget&) {}

void styleEditor(QWidget&) {}

std::shared_ptr<void> watchClicksElsewhere(std::function<void()>) {
    return nullptr;
}

}  // namespace ventoria::ui
