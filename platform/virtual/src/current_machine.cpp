#include "current_machine.h"

#include <mutex>

#include "ventoria/platform/system_root.h"

namespace ventoria::platform {

std::shared_ptr<sim::VirtualMac> currentMachine() {
    static std::mutex mutex;
    static std::filesystem::path mappedRoot;
    static std::shared_ptr<sim::VirtualMac> machine;
    std::lock_guard lock(mutex);
    // A Mac running Linux: a virtual Mac booted in its "/" would be a file of ours in the
    // machine's root (or, under the service's read-only system, a failure at every call).
    if (onTheMachineItself()) throw sim::SimError("the machine itself is no virtual Mac");
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
