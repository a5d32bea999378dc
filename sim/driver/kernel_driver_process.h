#pragma once
// The virtual kernel driver's process: started when a machine is made with a driver, stopped
// when it is made without one. It mounts the system root's /sys; while it runs, every program
// of this system root reaches the fans through the kernel's files instead of the SMC.

#include <filesystem>

namespace ventoria::sim {

// Starts ventoria-kernel (beside this program) and waits until its files are there. Throws
// SimError when it does not come up.
void startKernelDriver(const std::filesystem::path& systemRoot);
// Stops the one that runs, if any, and takes its mount away; the empty /sys is removed too,
// so that programs go back to the SMC.
void stopKernelDriver(const std::filesystem::path& systemRoot);

}  // namespace ventoria::sim
