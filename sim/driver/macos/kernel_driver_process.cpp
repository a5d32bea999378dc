#include "kernel_driver_process.h"

#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {

// The kernel drivers are Linux's: on a Mac the machine is only ever seen through IOKit.
void startKernelDriver(const std::filesystem::path&) {
    throw SimError("the virtual kernel drivers run on Linux only");
}

void stopKernelDriver(const std::filesystem::path&) {}

}  // namespace ventoria::sim
