#pragma once
// What the launchctl stand-in needs from a launchd property list, and its record of the jobs
// it has loaded.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ventoria::launchd {

struct JobDescription {
    std::string label;
    std::vector<std::string> arguments;  // the program first
    std::vector<std::string> machServices;
};

// Reads the XML property list at `path`; nothing when it lacks a label or a program.
std::optional<JobDescription> readJob(const std::filesystem::path& path);

struct RunningJob {
    pid_t pid = 0;
    unsigned long long started = 0;  // the process's start time, so a reused pid is not ours
};

std::filesystem::path recordPath(const std::string& label);
std::optional<RunningJob> readRecord(const std::string& label);
void writeRecord(const std::string& label, const RunningJob& job);
void removeRecord(const std::string& label);

// The process's start time, or nothing when it is gone (a zombie counts as gone).
std::optional<unsigned long long> startTime(pid_t pid);
bool alive(const RunningJob& job);

}  // namespace ventoria::launchd
