#pragma once
// How the virtual Mac behaves: fans slew toward their targets, the machine's own controller
// drives fans that nobody forces, a workload heats the chip, airflow cools it, the chassis
// follows slowly, and thermal pressure rises while the chip runs hot.

#include <cstdint>
#include <optional>

#include "ventoria/sim/machine_state.h"

namespace ventoria::sim {

std::optional<double> keyValue(const KeyRecord& key);
void storeValue(KeyRecord& key, double value);

// Runs the machine forward to `nanos` of machine time, in fixed steps so that the outcome
// depends only on the seed and the clock, never on how often somebody looked.
void runPhysics(MachineState& state, std::int64_t nanos);

bool isForced(MachineState& state, int fan);
double driveTarget(MachineState& state, int fan);
double appliedLoad(const MachineState& state, std::int64_t nanos);
double sensorValue(const MachineState& state, const KeyRecord& key, std::int64_t nanos);

// Brings a key whose value the machine produces up to date before it is read.
void refreshKey(MachineState& state, KeyRecord& key, std::int64_t nanos);

}  // namespace ventoria::sim
