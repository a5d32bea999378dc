// What a control tick and a poll cost through the Linux kernel's SMC drivers, next to the
// SMC calls of hardware_bench and helper_tick_bench: the reads and writes of sysfs files per
// operation ("file_calls", each one system call), and the SMC calls the driver makes for them
// behind the files ("smc_calls").

#include <benchmark/benchmark.h>

#include "kernel_driver_process.h"
#include "temporary_root.h"
#include "ventoria/hardware/control_ports.h"
#include "ventoria/hardware/fans.h"
#include "ventoria/hardware/sysfs_fans.h"
#include "ventoria/hardware/thermals.h"
#include "ventoria/sim/virtual_mac.h"

namespace {

using namespace ventoria;

struct DriverMachine {
    explicit DriverMachine(sim::KernelDriver driver)
        : mac(sim::VirtualMac::create(root.path(), {.profile = sim::driverProfile(driver),
                                                    .clock = sim::ClockMode::manual,
                                                    .seed = 1,
                                                    .driver = driver})) {
        if (driver == sim::KernelDriver::macsmc) mac->setFanControl(true);
        sim::startKernelDriver(root.path());
    }
    ~DriverMachine() { sim::stopKernelDriver(root.path()); }

    std::uint64_t smcCalls() {
        auto c = mac->snapshot().calls;
        return c.readKeyInfo + c.readBytes + c.writeBytes + c.keyAtIndex;
    }

    test::TemporaryRoot root;
    std::shared_ptr<sim::VirtualMac> mac;
};

std::uint64_t fileCalls(const hardware::ControlPorts& ports) {
    return std::dynamic_pointer_cast<hardware::SysfsFans>(ports.fans)->fileCalls();
}

void report(benchmark::State& state, std::uint64_t files, std::uint64_t smc) {
    auto iterations = static_cast<double>(state.iterations());
    state.counters["file_calls"] = static_cast<double>(files) / iterations;
    state.counters["smc_calls"] = static_cast<double>(smc) / iterations;
}

// A held choice: the tick reads, finds everything as asked, and writes nothing.
void DriverControlTick(benchmark::State& state) {
    DriverMachine machine(static_cast<sim::KernelDriver>(state.range(0)));
    auto ports = hardware::openControlPorts();
    hardware::Fans fans(ports.fans);
    while (!fans.apply(0.5)) {
    }
    auto files = fileCalls(ports);
    auto smc = machine.smcCalls();
    for (auto _ : state) benchmark::DoNotOptimize(fans.apply(0.5));
    report(state, fileCalls(ports) - files, machine.smcCalls() - smc);
}
BENCHMARK(DriverControlTick)
    ->Arg(static_cast<int>(sim::KernelDriver::applesmc))
    ->Arg(static_cast<int>(sim::KernelDriver::macsmc))
    ->Unit(benchmark::kMicrosecond);

// The application's poll: every fan, and the chip and case temperatures.
void DriverPoll(benchmark::State& state) {
    DriverMachine machine(static_cast<sim::KernelDriver>(state.range(0)));
    auto ports = hardware::openControlPorts();
    hardware::FanReader fans(ports.fans);
    hardware::Thermals thermals(ports.temperatures);
    fans.readings();
    thermals.sample();
    auto files = fileCalls(ports);
    auto smc = machine.smcCalls();
    for (auto _ : state) {
        benchmark::DoNotOptimize(fans.readings());
        benchmark::DoNotOptimize(thermals.sample());
    }
    report(state, fileCalls(ports) - files, machine.smcCalls() - smc);
}
BENCHMARK(DriverPoll)
    ->Arg(static_cast<int>(sim::KernelDriver::applesmc))
    ->Arg(static_cast<int>(sim::KernelDriver::macsmc))
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
