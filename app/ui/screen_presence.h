#pragma once
// Whether this login session has a screen to show the application on. Asked before Qt
// starts: without one Qt aborts with words about platform plugins that tell a user nothing.
// How to tell is the system's own: X11 and Wayland name their display in the environment, and
// a Mac has a window-server session or none (logged in over ssh).

namespace ventoria::ui {

bool sessionHasScreen();

}  // namespace ventoria::ui
