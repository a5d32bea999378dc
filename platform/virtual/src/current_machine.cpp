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
    } else if (!machine->intact()) {
        // The file changed under this process: the machine is gone, until a sound one takes
        // its place (ventoria-sim new), which is then the Mac. None is made here.
        if (auto replaced = sim::VirtualMac::attach(root)) machine = std::move(replaced);
    }
    return machine;
}

}  // namespace ventoria::platform
