#include "readings_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ventoria/app/model_text.h"

namespace ventoria::ctl {

nlohmann::json rpmJson(std::optional<double> rpm) {
    auto shown = rpm ? app::shownRPM(*rpm) : std::nullopt;
    return shown ? nlohmann::json(*shown) : nlohmann::json(nullptr);
}

nlohmann::json celsiusJson(std::optional<double> celsius) {
    if (!celsius || !app::shownTemperature(*celsius)) return nullptr;
    // Divided, not multiplied by 0.1, so that 45.3 is the double nearest 45.3.
    return std::round(*celsius * 10) / 10;
}

nlohmann::json fractionJson(double fraction) {
    if (!std::isfinite(fraction)) return nullptr;
    return std::round(fraction * 1000) / 1000;
}

nlohmann::json fansJson(const std::vector<hardware::FanReading>& fans) {
    auto list = nlohmann::json::array();
    for (const auto& fan : fans) {
        list.push_back({{"fan", fan.id + 1},
                        {"rpm", rpmJson(fan.actual)},
                        {"minimumRPM", rpmJson(fan.min)},
                        {"maximumRPM", rpmJson(fan.max)},
                        {"forced", fan.modeKnown ? nlohmann::json(fan.manual) : nullptr}});
    }
    return list;
}

nlohmann::json temperaturesJson(const hardware::ThermalReading& reading) {
    return {{"chip", celsiusJson(reading.chip)},
            {"case", celsiusJson(reading.chassis)},
            {"unit", "celsius"}};
}

std::string fanLine(const hardware::FanReading& fan) {
    constexpr int kBarWidth = 20;
    // The level only of numbers that are speeds: a NaN from the SMC must not become an index.
    bool known = std::isfinite(fan.actual) && std::isfinite(fan.max) && fan.max > 0;
    double share = known ? std::clamp(fan.actual / fan.max, 0.0, 1.0) : 0.0;
    auto lit = static_cast<int>(share * kBarWidth + 0.5);
    std::string bar = std::string(static_cast<std::size_t>(lit), '#') +
                      std::string(static_cast<std::size_t>(kBarWidth - lit), '.');
    auto rpm = [](double value) {
        auto shown = app::shownRPM(value);
        return shown ? std::to_string(*shown) : std::string("—");
    };
    char line[200];
    std::snprintf(line, sizeof line, "Fan %d  %5s rpm  [%s] %3.0f %%  (%s–%s rpm)  %s", fan.id + 1,
                  rpm(fan.actual).c_str(), bar.c_str(), share * 100, rpm(fan.min).c_str(),
                  rpm(fan.max).c_str(), app::modeText(fan).toUtf8().constData());
    return line;
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
