#include "current_machine.h"

#include <mutex>

#include "ventoria/platform/system_root.h"

namespace ventoria::platform {

std::shared_ptr<sim::VirtualMac> currentMachine() {
    static std::mutex mutex;
    static std::filesystem::path mappedRoot;
    static std::shared_ptr<sim::VirtualMac> machine;
    std::lock_guard lock(mutex);
    auto root = systemRoot();
    if (!machine || root != mappedRoot) {
        machine = sim::VirtualMac::open(root);
        mappedRoot = root;
    }
    return machine;
}

}  // namespace ventoria::platform
