#include "show.h"

#include <cmath>
#include <sstream>

namespace ventoria::sim {
namespace {

nlohmann::json optionalNumber(const std::optional<double>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

}  // namespace

nlohmann::json snapshotJson(const Snapshot& shot) {
    // The words of ventoriactl's documents: fans numbered from 1, "case", "forced", "charger";
    // the numbers are the machine's own, unrounded, for tests that check its physics.
    nlohmann::json fans = nlohmann::json::array();
    for (const auto& fan : shot.fans) {
        fans.push_back({{"fan", fan.id + 1},
                        {"rpm", fan.actual},
                        {"targetRPM", fan.target},
                        {"minimumRPM", fan.min},
                        {"maximumRPM", fan.max},
                        {"forced", fan.forced}});
    }
    nlohmann::json writes = nlohmann::json::array();
    for (const auto& [key, count] : shot.writes) writes.push_back({{"key", key}, {"count", count}});
    nlohmann::json notch = nullptr;
    if (shot.display.notchWidth > 0) {
        notch = {{"width", shot.display.notchWidth}, {"height", shot.display.notchHeight}};
    }
    return {{"profile", profileName(shot.profile)},
            {"clock", shot.clock == ClockMode::real ? "real" : "manual"},
            {"seconds", shot.seconds},
            {"fans", fans},
            {"ftst", optionalNumber(shot.ftst)},
            {"chip", optionalNumber(shot.chip)},
            {"case", optionalNumber(shot.chassis)},
            {"pressure", shot.pressure},
            {"load", shot.load},
            {"loadWave", shot.loadWave},
            {"latencyMicroseconds", shot.latencyMicros},
            {"detached", shot.detached},
            {"calls",
             {{"readKeyInfo", shot.calls.readKeyInfo},
              {"readBytes", shot.calls.readBytes},
              {"writeBytes", shot.calls.writeBytes},
              {"keyAtIndex", shot.calls.keyAtIndex}}},
            {"writes", writes},
            {"keyCount", shot.keyCount},
            {"display", {{"notch", notch}}},
            {"power", shot.power == PowerSupply::battery ? "battery" : "charger"},
            {"driver",
             {{"name", driverName(shot.driver.kind)},
              {"loaded", shot.driver.loaded},
              {"fanControl", shot.driver.fanControl},
              {"generation", shot.driver.generation}}}};
}

std::string snapshotText(const Snapshot& shot) {
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(1);
    out << "Virtual Mac: " << profileName(shot.profile) << ", "
        << (shot.clock == ClockMode::real ? "real" : "manual") << " clock at " << shot.seconds
        << " s, " << shot.keyCount << " SMC keys\n";
    out << "Load " << shot.load << " %" << (shot.loadWave ? " (wave)" : "") << ", thermal pressure "
        << shot.pressure << "\n";
    auto temperature = [](const std::optional<double>& t) {
        std::ostringstream text;
        text.setf(std::ios::fixed);
        text.precision(1);
        if (t) {
            text << *t << " °C";
        } else {
            text << "—";
        }
        return text.str();
    };
    out << "Chip " << temperature(shot.chip) << ", case " << temperature(shot.chassis) << "\n";
    out.precision(0);
    for (const auto& fan : shot.fans) {
        out << "Fan " << fan.id + 1 << ": " << fan.actual << " rpm toward " << fan.target << " ("
            << fan.min << "–" << fan.max << "), " << (fan.forced ? "forced" : "automatic") << "\n";
    }
    if (shot.fans.empty()) out << "No fans\n";
    if (shot.ftst) out << "Ftst " << *shot.ftst << "\n";
    out << "Calls: readKeyInfo " << shot.calls.readKeyInfo << ", readBytes " << shot.calls.readBytes
        << ", writeBytes " << shot.calls.writeBytes << ", keyAtIndex " << shot.calls.keyAtIndex
        << "\n";
    if (shot.latencyMicros) out << "Latency " << shot.latencyMicros << " µs per call\n";
    if (shot.detached) out << "The AppleSMC service is detached: every call fails\n";
    if (shot.display.notchWidth > 0) {
        out << "Display: notch " << shot.display.notchWidth << "×" << shot.display.notchHeight
            << "\n";
    } else {
        out << "Display: no notch\n";
    }
    out << "Power: " << (shot.power == PowerSupply::battery ? "battery" : "charger") << "\n";
    if (shot.driver.kind != KernelDriver::none) {
        out << "Kernel driver: " << driverName(shot.driver.kind) << ", "
            << (shot.driver.loaded ? "loaded" : "unloaded");
        if (shot.driver.kind == KernelDriver::macsmc) {
            out << ", fan_control " << (shot.driver.fanControl ? "on" : "off");
        }
        out << "\n";
    }
    return out.str();
}

}  // namespace ventoria::sim
