// What reading the hardware costs on the apple-silicon virtual Mac: SMC calls per operation,
// and time. On a Mac each SMC call takes 140–200 µs, so the call count is the figure that
// matters there; "mac_ms" estimates it at 170 µs a call.

#include <benchmark/benchmark.h>

#include "temporary_root.h"
#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/thermals.h"
#include "ventoria/sim/virtual_mac.h"

namespace {

using namespace ventoria;

constexpr double kMacMillisecondsPerCall = 0.170;

struct Machine {
    test::TemporaryRoot root;
    std::shared_ptr<sim::VirtualMac> mac = sim::VirtualMac::create(
        root.path(),
        {.profile = sim::Profile::appleSilicon, .clock = sim::ClockMode::manual, .seed = 1});
    std::shared_ptr<hardware::SMCReader> smc = std::make_shared<hardware::SMCReader>();

    std::uint64_t calls() {
        auto c = mac->snapshot().calls;
        return c.readKeyInfo + c.readBytes + c.writeBytes + c.keyAtIndex;
    }
};

void report(benchmark::State& state, std::uint64_t calls) {
    auto perIteration = static_cast<double>(calls) / static_cast<double>(state.iterations());
    state.counters["smc_calls"] = perIteration;
    state.counters["mac_ms"] = perIteration * kMacMillisecondsPerCall;
}

void BuildThermals(benchmark::State& state) {
    Machine machine;
    auto before = machine.calls();
    for (auto _ : state) {
        hardware::Thermals thermals(machine.smc);
        benchmark::DoNotOptimize(thermals.chipKeys().data());
    }
    report(state, machine.calls() - before);
}
BENCHMARK(BuildThermals)->Unit(benchmark::kMicrosecond);

void SampleTemperatures(benchmark::State& state) {
    Machine machine;
    hardware::Thermals thermals(machine.smc);
    thermals.sample();  // the first sample fills the key-info cache
    auto before = machine.calls();
    for (auto _ : state) benchmark::DoNotOptimize(thermals.sample());
    report(state, machine.calls() - before);
}
BENCHMARK(SampleTemperatures)->Unit(benchmark::kMicrosecond);

void ReadFans(benchmark::State& state) {
    Machine machine;
    hardware::FanReader fans(machine.smc);
    fans.readings();
    auto before = machine.calls();
    for (auto _ : state) benchmark::DoNotOptimize(fans.readings());
    report(state, machine.calls() - before);
}
BENCHMARK(ReadFans)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
