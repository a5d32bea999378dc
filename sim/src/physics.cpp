#include "physics.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "key_table.h"
#include "ventoria/sim/value_codec.h"

namespace ventoria::sim {
namespace {

constexpr std::int64_t kStepNanos = 50'000'000;
constexpr std::int64_t kLongestCatchUpNanos = 2LL * 3600 * 1'000'000'000;
constexpr double kSlewRPMPerSecond = 2500;
constexpr double kChipHeatCapacity = 15;      // J/K
constexpr double kChassisHeatCapacity = 300;  // J/K
constexpr double kHotChip = 95;               // °C where thermal pressure starts to build
constexpr double kPressureAfterSeconds = 10;

std::string fanKey(int fan, const char* suffix) {
    return "F" + std::to_string(fan) + suffix;
}

// A deterministic value in [-1, 1] for a seed, a salt and a time bucket.
double noise(std::uint64_t seed, std::uint64_t salt, std::int64_t bucket) {
    std::uint64_t z = seed * 0x9E3779B97F4A7C15ULL ^ salt * 0xBF58476D1CE4E5B9ULL ^
                      static_cast<std::uint64_t>(bucket) * 0x94D049BB133111EBULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z % 20001) / 10000.0 - 1.0;
}

double machineTarget(const FanState& fan, double chip) {
    double share = std::clamp((chip - 70.0) / 25.0, 0.0, 1.0);
    return fan.min + (fan.max - fan.min) * share;
}

void step(MachineState& state, double dt, std::int64_t nanos) {
    double airflow = 0;
    for (std::uint32_t i = 0; i < state.fanCount; ++i) {
        auto& fan = state.fans[i];
        double target = driveTarget(state, static_cast<int>(i));
        fan.actual +=
            std::clamp(target - fan.actual, -kSlewRPMPerSecond * dt, kSlewRPMPerSecond * dt);
        fan.machineTarget = machineTarget(fan, state.chip);
        if (fan.max > 0) airflow += std::clamp(fan.actual / fan.max, 0.0, 1.0);
    }
    if (state.fanCount > 0) airflow /= state.fanCount;

    double power = 8 + 0.42 * appliedLoad(state, nanos);
    if (state.pressure >= 2) {
        power *= 0.55;  // the machine throttles itself
    } else if (state.pressure == 1) {
        power *= 0.75;
    }
    double heatFlow = (0.5 + 2.5 * airflow) * (state.chip - state.chassis);
    double loss = (0.8 + 2.2 * airflow) * (state.chassis - state.ambient);
    state.chip += (power - heatFlow) / kChipHeatCapacity * dt;
    state.chassis += (heatFlow - loss) / kChassisHeatCapacity * dt;

    state.hotSeconds =
        state.chip >= kHotChip ? state.hotSeconds + dt : std::max(0.0, state.hotSeconds - 2 * dt);
    if (state.pressureOverride >= 0) {
        state.pressure = state.pressureOverride;
    } else if (state.hotSeconds >= kPressureAfterSeconds) {
        state.pressure = state.chip >= kHotChip + 8 ? 2 : 1;
    } else {
        state.pressure = 0;
    }
}

}  // namespace

std::optional<double> keyValue(const KeyRecord& key) {
    auto size = std::min<std::size_t>(key.size, kKeyDataSize);
    return decodeValue(nameOf(key.type), std::span(key.bytes, size));
}

void storeValue(KeyRecord& key, double value) {
    if (auto bytes = encodeValue(nameOf(key.type), value, key.size)) {
        std::fill(std::begin(key.bytes), std::end(key.bytes), 0);
        std::copy_n(bytes->begin(), std::min<std::size_t>(bytes->size(), kKeyDataSize), key.bytes);
    }
}

void runPhysics(MachineState& state, std::int64_t nanos) {
    if (nanos - state.physicsNanos > kLongestCatchUpNanos) {
        state.physicsNanos = nanos - kLongestCatchUpNanos;
    }
    while (state.physicsNanos + kStepNanos <= nanos) {
        state.physicsNanos += kStepNanos;
        step(state, kStepNanos / 1e9, state.physicsNanos);
    }
}

bool isForced(MachineState& state, int fan) {
    if (auto* mode = findKey(state, fanKey(fan, "Md"))) return keyValue(*mode) == 1.0;
    if (auto* mask = findKey(state, "FS! ")) {
        auto bits = static_cast<std::uint64_t>(std::max(0.0, keyValue(*mask).value_or(0)));
        return fan < 64 && (bits >> fan & 1) != 0;
    }
    return false;
}

double driveTarget(MachineState& state, int fan) {
    const auto& physics = state.fans[fan];
    if (!isForced(state, fan)) return physics.machineTarget;
    auto* target = findKey(state, fanKey(fan, "Tg"));
    double wanted = target ? keyValue(*target).value_or(0) : 0;
    return std::clamp(wanted, 0.0, physics.max);
}

double appliedLoad(const MachineState& state, std::int64_t nanos) {
    if (!state.loadWave) return state.loadPercent;
    // A repeating working day in miniature: idle, a heavy build, light work, idle.
    double t = std::fmod(static_cast<double>(nanos) / 1e9, 150.0);
    if (t < 30) return 8;
    if (t < 75) return 95;
    if (t < 100) return 40;
    return 5;
}

double sensorValue(const MachineState& state, const KeyRecord& key, std::int64_t nanos) {
    double body = key.role == KeyRole::chipSensor ? state.chip : state.chassis;
    return body + key.sensorOffset + 0.15 * noise(state.seed, key.code, nanos / 500'000'000);
}

void refreshKey(MachineState& state, KeyRecord& key, std::int64_t nanos) {
    // The file is shared: a fan number it holds is checked where it indexes the fans.
    bool fanKey = key.role == KeyRole::fanActual || key.role == KeyRole::fanTarget;
    if (fanKey && key.fan >= kMaxFans) return;
    switch (key.role) {
        case KeyRole::plain:
        case KeyRole::keyCount:
        case KeyRole::fanMode:
            return;
        case KeyRole::fanActual: {
            double actual = state.fans[key.fan].actual;
            if (actual > 0) actual += 3 * noise(state.seed, key.code, nanos / 250'000'000);
            storeValue(key, std::max(0.0, actual));
            return;
        }
        case KeyRole::fanTarget:
            if (!isForced(state, key.fan)) storeValue(key, state.fans[key.fan].machineTarget);
            return;
        case KeyRole::chipSensor:
        case KeyRole::chassisSensor:
            storeValue(key, sensorValue(state, key, nanos));
            return;
    }
}

}  // namespace ventoria::sim
