#pragma once

namespace ventoria::helper {

// The daemon's life: one service, a listener on the helper's socket, until a stop signal
// (signals.h), which hands the fans back before the process ends. Returns the exit status.
int runDaemon();

// After a daemon that may have died holding the fans (systemd's ExecStopPost): hands back
// whatever reads as forced, within the daemon's own bound, and serves nobody. The exit status
// is the daemon's: 0 handed back (or nothing to hand back), 3 not in time.
int handBackAfterDaemon();

}  // namespace ventoria::helper
