#pragma once
// Runs the install script with sh on Linux: as the user where the user may write the places
// (the virtual Mac's system root), else behind pkexec, whose polkit agent asks for an
// administrator's password.

#include <functional>
#include <memory>

#include "ventoria/app/installer.h"

namespace ventoria::app {

// `pkexec` is looked up on PATH. `beforeRun`, if any, runs before each script.
std::unique_ptr<ScriptRunner> shellRunner(bool elevate, std::function<void()> beforeRun = {});

// What the user reads when pkexec itself ended with `status` and said `said` on its standard
// error; nothing when the status is the script's own.
std::optional<std::string> pkexecFailure(int status, std::string_view said);

}  // namespace ventoria::app
