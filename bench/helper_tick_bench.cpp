// One control tick of the helper in each steady mode: SMC calls by command and CPU time.
// A steady tick reads each key it needs once and writes nothing.

#include <benchmark/benchmark.h>

#include "helper_rig.h"

namespace {

using ventoria::bench::HelperRig;
using ventoria::bench::TickMode;

void Tick(benchmark::State& state, TickMode mode) {
    HelperRig rig(mode);
    rig.machine().resetCounters();
    for (auto _ : state) rig.tick();
    auto calls = rig.machine().snapshot().calls;
    auto perTick = [&](std::uint64_t n) {
        return static_cast<double>(n) / static_cast<double>(state.iterations());
    };
    state.counters["readKeyInfo"] = perTick(calls.readKeyInfo);
    state.counters["readBytes"] = perTick(calls.readBytes);
    state.counters["writeBytes"] = perTick(calls.writeBytes);
    state.counters["keyAtIndex"] = perTick(calls.keyAtIndex);
}
BENCHMARK_CAPTURE(Tick, fixed, TickMode::fixed)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Tick, smart_boost, TickMode::smartBoost)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Tick, smart_idle, TickMode::smartIdle)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
