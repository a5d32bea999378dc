#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <stdexcept>

#include "os_calls.h"

extern char** environ;

namespace ventoria::test {

std::filesystem::path binDirectory() {
    return VENTORIA_BIN_DIR;
}

std::string program(const std::string& name) {
    return (binDirectory() / name).string();
}

ProcessResult run(const std::vector<std::string>& arguments, std::optional<Interrupt> interrupt) {
    int out[2];
    int err[2];
    // Close-on-exec, so the pipes reach the program only as its stdout and stderr: a daemon it
    // starts must not hold them open after it exits.
    if (closeOnExecPipe(out) != 0 || closeOnExecPipe(err) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        throw std::runtime_error("cannot start " + arguments.at(0));
    }
    ProcessResult result;
    std::array<pollfd, 3> fds{pollfd{out[0], POLLIN, 0}, pollfd{err[0], POLLIN, 0},
                              pollfd{interrupt ? interrupt->whenReadable : -1, POLLIN, 0}};
    int open = 2;
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> deadline;
    if (interrupt) deadline = Clock::now() + interrupt->after;
    while (open > 0) {
        int wait = -1;
        bool printed = false;  // what the signal waits for is out: it goes now
        if (deadline) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            wait = static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
            printed = !interrupt->whenPrinted.empty() &&
                      result.out.find(interrupt->whenPrinted) != std::string::npos;
        }
        int ready = poll(fds.data(), fds.size(), printed ? 0 : wait);
        if (deadline && (ready == 0 || fds[2].revents != 0 || printed)) {
            kill(pid, interrupt->signal);
            deadline.reset();  // once: what the program does with the signal is up to it
            fds[2].fd = -1;
            continue;
        }
        for (std::size_t i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            auto n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

BackgroundProcess::BackgroundProcess(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)), runner_([this] { result_ = run(arguments_); }) {}

BackgroundProcess::~BackgroundProcess() {
    if (runner_.joinable()) runner_.join();
}

ProcessResult BackgroundProcess::wait() {
    if (runner_.joinable()) runner_.join();
    return result_.value_or(ProcessResult{});
}

}  // namespace ventoria::test
