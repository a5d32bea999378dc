#pragma once
// Mapping the machine's state file: creation that never exposes a half-written machine to a
// racing process, and validation of what an older build may have left behind.

#include <filesystem>
#include <optional>

#include "ventoria/sim/machine_state.h"
#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {

struct Mapping {
    int fd = -1;
    MachineState* state = nullptr;
};

std::int64_t monotonicNanos();
std::int64_t machineNanos(const MachineState& state);

// Maps the state file at `path`. When it is missing (or unusable) a machine made from
// `options` is published first.
Mapping mapState(const std::filesystem::path& path, const CreateOptions& options);
// Maps the state file at `path` only if it holds a sound machine.
std::optional<Mapping> mapExistingState(const std::filesystem::path& path);
// Whether the mapped machine can be read at all: the file still holds the whole record, and
// its header and counts are those of a machine. Checked under the machine's lock on every
// access, so it is cheap: the rest is checked where it is used.
bool soundMapping(int fd, const MachineState& state);
void unmapState(Mapping mapping);
// Rebuilds a mapped machine in place; the caller holds its lock.
void rebuildState(MachineState& state, const CreateOptions& options);

}  // namespace ventoria::sim
