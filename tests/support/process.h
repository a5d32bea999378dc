#pragma once
// Running the project's real programs from a test, as a user would from a shell.

#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace ventoria::test {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// The build's bin directory, where every program of the project stands.
std::filesystem::path binDirectory();
// The path of one of the project's programs in it.
std::string program(const std::string& name);

// Runs `arguments` (the first names the program) to completion and collects its output.
ProcessResult run(const std::vector<std::string>& arguments);

// Runs `arguments` in the background, with its output collected; wait() for the result.
class BackgroundProcess {
  public:
    explicit BackgroundProcess(std::vector<std::string> arguments);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    ProcessResult wait();

  private:
    std::vector<std::string> arguments_;
    std::optional<ProcessResult> result_;
    std::thread runner_;
};

}  // namespace ventoria::test
