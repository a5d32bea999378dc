#pragma once
// How ventoriactl prints readings: one shape for people, one for programs.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::ctl {

nlohmann::json fansJson(const std::vector<hardware::FanReading>& fans);
nlohmann::json temperaturesJson(const hardware::ThermalReading& reading);
nlohmann::json optionalJson(const std::optional<double>& value);

std::string fanLine(const hardware::FanReading& fan);
std::string hex(const std::vector<std::uint8_t>& bytes);

}  // namespace ventoria::ctl
