// The IOKit stand-in: service lookup and user-client connections to the virtual AppleSMC.
// Handles are small integers in a process-wide table, as ports are in a task's port space.

#include <IOKit/IOKitLib.h>

#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "current_machine.h"

const mach_port_t kIOMainPortDefault = MACH_PORT_NULL;
mach_port_t mach_task_self_ = 0x103;

struct __CFDictionary {
    std::string serviceName;
};

namespace {

struct Connection {
    std::shared_ptr<ventoria::sim::VirtualMac> machine;
    std::uint64_t boot = 0;  // the machine it was opened to
};

struct Ports {
    std::mutex mutex;
    mach_port_t next = 0x1000;
    std::map<mach_port_t, std::shared_ptr<ventoria::sim::VirtualMac>> services;
    std::map<mach_port_t, Connection> connections;
};

Ports& ports() {
    static Ports table;
    return table;
}

std::shared_ptr<ventoria::sim::VirtualMac> lookup(
    const std::map<mach_port_t, std::shared_ptr<ventoria::sim::VirtualMac>>& table,
    mach_port_t port) {
    auto it = table.find(port);
    return it == table.end() ? nullptr : it->second;
}

}  // namespace

CFMutableDictionaryRef IOServiceMatching(const char* name) {
    return new __CFDictionary{name ? name : ""};
}

io_service_t IOServiceGetMatchingService(mach_port_t, CFDictionaryRef matching) {
    if (!matching) return 0;
    bool wantsSMC = matching->serviceName == "AppleSMC";
    delete matching;
    if (!wantsSMC) return 0;
    std::shared_ptr<ventoria::sim::VirtualMac> machine;
    try {
        machine = ventoria::platform::currentMachine();
        if (!machine->hasSMCService()) return 0;
    } catch (const std::exception&) {
        return 0;  // no machine could be booted under this root: no service to find
    }
    auto& table = ports();
    std::lock_guard lock(table.mutex);
    auto port = table.next++;
    table.services[port] = std::move(machine);
    return port;
}

kern_return_t IOServiceOpen(io_service_t service, task_port_t, uint32_t type,
                            io_connect_t* connect) {
    auto& table = ports();
    std::lock_guard lock(table.mutex);
    auto machine = lookup(table.services, service);
    if (!machine || !connect) return kIOReturnBadArgument;
    if (type != 0) return kIOReturnBadArgument;
    auto port = table.next++;
    auto boot = machine->boot();
    table.connections[port] = {std::move(machine), boot};
    *connect = port;
    return KERN_SUCCESS;
}

kern_return_t IOServiceClose(io_connect_t connect) {
    auto& table = ports();
    std::lock_guard lock(table.mutex);
    return table.connections.erase(connect) ? KERN_SUCCESS : kIOReturnNotOpen;
}

kern_return_t IOObjectRelease(io_object_t object) {
    auto& table = ports();
    std::lock_guard lock(table.mutex);
    return table.services.erase(object) ? KERN_SUCCESS : kIOReturnBadArgument;
}

kern_return_t IOConnectCallStructMethod(mach_port_t connection, uint32_t selector,
                                        const void* inputStruct, size_t inputStructCnt,
                                        void* outputStruct, size_t* outputStructCnt) {
    Connection open;
    {
        auto& table = ports();
        std::lock_guard lock(table.mutex);
        auto found = table.connections.find(connection);
        if (found != table.connections.end()) open = found->second;
    }
    auto& machine = open.machine;
    if (!machine) return kIOReturnNotOpen;
    // The machine was booted afresh in its file: this connection's service has terminated.
    if (machine->boot() != open.boot) return kIOReturnNoDevice;
    if (auto micros = machine->latencyMicros()) {
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    }
    return machine->call(selector, inputStruct, inputStructCnt, outputStruct, outputStructCnt);
}
