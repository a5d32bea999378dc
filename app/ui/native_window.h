#pragma once
// Window behaviour Qt does not give by itself, set on the system's own window. The Mac needs
// it (a panel above the menu bar that never takes focus); elsewhere Qt's flags suffice.

#include <QWidget>
#include <functional>
#include <memory>

namespace ventoria::ui {

// The window flags of the notch panel and of the preset editor on this system.
Qt::WindowFlags notchPanelFlags();
Qt::WindowFlags editorFlags();

// After the window exists: the notch panel above the menu bar, on every Space and over
// full-screen applications, never activating; the editor a floating panel.
void styleNotchPanel(QWidget& window);
void styleEditor(QWidget& window);

// Whether the editor's kind of window gets a close control from the system (the Mac's titled
// panel does; a frameless window under X11 or Wayland has none, and the view draws its own).
bool systemDrawsCloseControl();

// Calls `onClick` for each mouse click in another application while the returned token
// lives. Nothing where the system tells the panel itself (it loses activation instead).
std::shared_ptr<void> watchClicksElsewhere(std::function<void()> onClick);

}  // namespace ventoria::ui
