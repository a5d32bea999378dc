#pragma once
// What the launchctl stand-in needs from a launchd property list, and its record of the jobs
// it has loaded.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ventoria::launchd {

struct JobDescription {
    std::string label;
    std::vector<std::string> arguments;  // the program first
    // Where the job's standard error goes, as launchd opens it (appending); empty: nowhere.
    std::string standardErrorPath;
};

// Reads the XML property list at `path`; nothing when it lacks a label or a program.
std::optional<JobDescription> readJob(const std::filesystem::path& path);

struct RunningJob {
    pid_t pid = 0;
    std::uint64_t started = 0;  // the process's start, so a reused pid is not ours
};

std::filesystem::path recordPath(const std::string& label);
std::optional<RunningJob> readRecord(const std::string& label);
void writeRecord(const std::string& label, const RunningJob& job);
void removeRecord(const std::string& label);

// Whether the job's process still runs: the same pid, started at the same time.
bool alive(const RunningJob& job);

}  // namespace ventoria::launchd
