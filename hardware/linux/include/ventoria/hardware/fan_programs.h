#pragma once
// Other programs that drive a Mac's fans under Linux. Two writers fight over every target and
// the fans hunt between them, so Ventoria looks for them by process name and leaves the fans
// to whichever was there first.

#include <filesystem>
#include <optional>
#include <string>

namespace ventoria::hardware {

struct FanProgram {
    std::string name;
    int pid = 0;
};

// The first known fan daemon among the processes under `proc` (their "comm"), other than
// this one. Never throws.
std::optional<FanProgram> otherFanProgram(const std::filesystem::path& proc);

}  // namespace ventoria::hardware
