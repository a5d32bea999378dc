#include "virtual_mac_test.h"

#include <chrono>

#include "kernel_driver_process.h"

namespace ventoria::sim {
void PrintTo(KernelDriver driver, std::ostream* out) {
    *out << driverName(driver);
}
}  // namespace ventoria::sim

namespace ventoria::test {

VirtualMacTest::VirtualMacTest(sim::Profile profile)
    : mac(sim::VirtualMac::create(
          root.path(), {.profile = profile, .clock = sim::ClockMode::manual, .seed = 1})) {}

VirtualMacTest::VirtualMacTest(sim::KernelDriver driver)
    : mac(sim::VirtualMac::create(root.path(), {.profile = sim::driverProfile(driver),
                                                .clock = sim::ClockMode::manual,
                                                .seed = 1,
                                                .driver = driver})) {
    if (driver == sim::KernelDriver::none) return;
    sim::startKernelDriver(root.path());
    driverStarted_ = true;
}

// Before the root goes: a mounted /sys would stop its removal, and a driver left running
// would be a stray.
VirtualMacTest::~VirtualMacTest() {
    if (driverStarted_) sim::stopKernelDriver(root.path());
}

void VirtualMacTest::advance(double seconds) {
    mac->advance(std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9)));
}

void VirtualMacTest::fault(const std::string& key, sim::FaultKind kind, int code,
                           std::uint32_t every) {
    sim::Fault fault{.kind = kind, .every = every};
    if (kind == sim::FaultKind::result) fault.result = static_cast<std::uint8_t>(code);
    if (kind == sim::FaultKind::kernel) fault.kernel = code;
    mac->setFault(key, fault);
}

std::uint64_t VirtualMacTest::writes(const std::string& key) {
    auto shot = mac->snapshot();
    auto it = shot.writes.find(key);
    return it == shot.writes.end() ? 0 : it->second;
}

std::uint64_t VirtualMacTest::totalCalls() {
    auto calls = mac->snapshot().calls;
    return calls.readKeyInfo + calls.readBytes + calls.writeBytes + calls.keyAtIndex;
}

}  // namespace ventoria::test
