#include "ventoria/hardware/fan_programs.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <string_view>
#include <system_error>

namespace ventoria::hardware {
namespace {

// The daemons Mac owners run for their fans, and the general ones that can drive them.
constexpr std::array<std::string_view, 7> kFanPrograms = {
    "mbpfan", "macfanctld", "t2fanrd", "fancontrol", "fan2go", "coolercontrold", "thinkfan"};

std::optional<int> processId(const std::string& name) {
    int pid = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc{} || end != name.data() + name.size() || pid <= 0) return std::nullopt;
    return pid;
}

}  // namespace

std::optional<FanProgram> otherFanProgram(const std::filesystem::path& proc) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(proc, error)) {
        auto pid = processId(entry.path().filename().string());
        if (!pid || *pid == ::getpid()) continue;
        std::ifstream file(entry.path() / "comm");
        std::string name;
        if (!std::getline(file, name)) continue;
        if (std::find(kFanPrograms.begin(), kFanPrograms.end(), name) != kFanPrograms.end()) {
            return FanProgram{name, *pid};
        }
    }
    return std::nullopt;
}

}  // namespace ventoria::hardware
