#pragma once
// When a process started, as the system records it. Pids are reused, so a pid and its start
// together are what name one process across time.

#include <sys/types.h>

#include <cstdint>
#include <optional>

namespace ventoria::platform {

// The start of the live process `pid`, in the system's own units; nothing when it is gone
// (a zombie counts as gone: it will never run again).
std::optional<std::uint64_t> processStart(pid_t pid);

}  // namespace ventoria::platform
