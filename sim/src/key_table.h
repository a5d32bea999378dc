#pragma once

#include <string_view>

#include "ventoria/sim/machine_state.h"

namespace ventoria::sim {

KeyRecord* findKey(MachineState& state, std::uint32_t code);
KeyRecord* findKey(MachineState& state, std::string_view name);
// Adds or replaces the key with `record.code`, keeping the table sorted and "#KEY" current.
KeyRecord& putKey(MachineState& state, const KeyRecord& record);

}  // namespace ventoria::sim
