#pragma once
// How ventoriactl prints readings: one shape for people, one for programs.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::ctl {

// The JSON documents give readings as the interface shows them: whole rpm, tenths of a
// degree Celsius, a fraction to three places; null where the interface shows "—".
nlohmann::json rpmJson(std::optional<double> rpm);
nlohmann::json celsiusJson(std::optional<double> celsius);
nlohmann::json fractionJson(double fraction);

// [{"fan": 1, "rpm", "minimumRPM", "maximumRPM", "forced"}]: fans numbered as they are shown.
nlohmann::json fansJson(const std::vector<hardware::FanReading>& fans);
// {"chip", "case", "unit": "celsius"}
nlohmann::json temperaturesJson(const hardware::ThermalReading& reading);

std::string fanLine(const hardware::FanReading& fan);
std::string hex(const std::vector<std::uint8_t>& bytes);

}  // namespace ventoria::ctl
