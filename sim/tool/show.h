#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {

nlohmann::json snapshotJson(const Snapshot& shot);
std::string snapshotText(const Snapshot& shot);

}  // namespace ventoria::sim
