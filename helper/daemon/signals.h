#pragma once
// What each signal whose default would end the helper means to it. No signal may kill it with
// the fans forced: those that ask a process to stop stop it the way SIGTERM does, handing the
// fans back first; those that mean nothing to it are ignored.

#include <array>
#include <csignal>

namespace ventoria::helper {

// launchd and systemd stop with SIGTERM; a terminal sends SIGINT, SIGQUIT or, when it goes
// away, SIGHUP; SIGXCPU is the soft limit of a CPU quota being reached.
inline constexpr std::array kStopSignals{SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGXCPU};
// Nothing sends these to mean "stop": user signals, timers the helper never set, a file size
// limit (a write then fails instead), a peer gone while we write to it.
inline constexpr std::array kIgnoredSignals{SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                                            SIGPROF, SIGXFSZ, SIGPIPE};

}  // namespace ventoria::helper
