#pragma once
// Running the project's real programs from a test, as a user would from a shell.

#include <chrono>
#include <csignal>
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

// A signal for a program still running after a while: a hung program fails its test instead
// of hanging the suite, or a long-running one is interrupted as a user would.
struct Interrupt {
    std::chrono::milliseconds after;
    int signal = SIGKILL;
    // Sent as soon as this descriptor has something to read, if that comes first: on a
    // listening socket, once the program has connected, so the signal finds its request out
    // rather than the program still starting.
    int whenReadable = -1;
    // Sent as soon as the program has printed this, if that comes first: the phase of its life
    // the signal is meant to find, however long a loaded machine takes to get there.
    std::string whenPrinted{};
};

// Runs `arguments` (the first names the program) to completion and collects its output. The
// status is the program's own, also after an interrupt it handled.
ProcessResult run(const std::vector<std::string>& arguments,
                  std::optional<Interrupt> interrupt = std::nullopt);

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
