#include "ventoria/platform/process_start.h"

#include <fstream>
#include <sstream>
#include <string>

namespace ventoria::platform {

std::optional<std::uint64_t> processStart(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) return std::nullopt;
    // Fields after the command name, which may itself hold spaces and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string state;
    rest >> state;
    if (state == "Z" || state == "X") return std::nullopt;
    std::string field;
    for (int i = 4; i < 22; ++i) rest >> field;  // fields 4 to 21
    std::uint64_t started = 0;
    rest >> started;  // field 22: clock ticks since boot
    return started;
}

}  // namespace ventoria::platform
