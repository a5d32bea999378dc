#include "readings_text.h"

#include <algorithm>
#include <cstdio>

namespace ventoria::ctl {

nlohmann::json optionalJson(const std::optional<double>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

nlohmann::json fansJson(const std::vector<hardware::FanReading>& fans) {
    auto list = nlohmann::json::array();
    for (const auto& fan : fans) {
        list.push_back({{"id", fan.id},
                        {"actual", fan.actual},
                        {"min", fan.min},
                        {"max", fan.max},
                        {"manual", fan.manual}});
    }
    return list;
}

nlohmann::json temperaturesJson(const hardware::ThermalReading& reading) {
    return {{"chip", optionalJson(reading.chip)}, {"chassis", optionalJson(reading.chassis)}};
}

std::string fanLine(const hardware::FanReading& fan) {
    constexpr int kBarWidth = 20;
    double share = fan.max > 0 ? std::clamp(fan.actual / fan.max, 0.0, 1.0) : 0.0;
    auto lit = static_cast<int>(share * kBarWidth + 0.5);
    std::string bar = std::string(static_cast<std::size_t>(lit), '#') +
                      std::string(static_cast<std::size_t>(kBarWidth - lit), '.');
    char line[160];
    std::snprintf(line, sizeof line, "Fan %d  %5.0f rpm  [%s] %3.0f %%  (%.0f–%.0f rpm)  %s",
                  fan.id + 1, fan.actual, bar.c_str(), share * 100, fan.min, fan.max,
                  fan.manual ? "forced" : "automatic");
    return line;
}

std::string temperatureText(const std::optional<double>& celsius) {
    if (!celsius) return "—";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f °C", *celsius);
    return text;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (auto byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

}  // namespace ventoria::ctl
