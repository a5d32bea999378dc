#pragma once

namespace ventoria::helper {

// The daemon's life: one service, a listener on the helper's socket, until a stop signal
// (signals.h), which hands the fans back before the process ends. Returns the exit status.
int runDaemon();

}  // namespace ventoria::helper
