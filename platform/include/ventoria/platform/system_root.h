#pragma once
// Every absolute system location (installed helper, launchd jobs, the helper's socket, the
// virtual Mac) lives under one system root: "/" on a Mac; on Linux a directory of the user's,
// so that tests and demos can run side by side without touching the machine, or "/" where
// the machine itself (a Mac running Linux) is meant.

#include <filesystem>
#include <string_view>

namespace ventoria::platform {

// "/" on macOS. On Linux the directory named by VENTORIA_SYSROOT, else a per-user default.
std::filesystem::path systemRoot();

// `absolute` ("/Library/…") placed under the system root.
std::filesystem::path systemPath(std::string_view absolute);

// The system root is the machine's own "/": always on a Mac; on Linux, a Mac running Linux
// rather than a virtual one, where nothing of a virtual Mac is made or asked.
bool onTheMachineItself();

// Where the named local service `name` (a launchd Mach service on a Mac) listens: a
// Unix-domain socket under the system root on both systems.
std::filesystem::path servicePath(std::string_view name);

}  // namespace ventoria::platform
