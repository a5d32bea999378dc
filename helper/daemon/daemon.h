#pragma once

namespace ventoria::helper {

// The daemon's life: one service, a listener on the helper's socket, until SIGTERM or SIGINT,
// which hand the fans back before the process ends. Returns the exit status.
int runDaemon();

}  // namespace ventoria::helper
