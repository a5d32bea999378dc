// launchctl, the virtual Mac's stand-in for launchd's tool: the two verbs the helper installer
// uses.
//   launchctl bootstrap system PLIST    load the job: start its program detached and record it;
//                                       like launchd, its Mach services answer when this returns
//   launchctl bootout system/LABEL      unload it: stop the program and wait until it is gone

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <vector>

#include "job_file.h"
#include "ventoria/platform/process_start.h"
#include "ventoria/platform/system_root.h"

namespace {

using namespace ventoria;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(10);

// launchctl's own exit statuses and messages.
int bootstrapFailed(int code, const char* why) {
    std::cerr << "Bootstrap failed: " << code << ": " << why << "\n";
    return code;
}

// Closes every descriptor above stderr. /dev/fd lists the open ones on Linux and macOS alike,
// where a loop up to the descriptor limit could run a million times.
void closeInheritedDescriptors() {
    std::vector<int> open;
    if (DIR* listing = opendir("/dev/fd")) {
        while (const dirent* entry = readdir(listing)) {
            if (int fd = std::atoi(entry->d_name); fd > STDERR_FILENO) open.push_back(fd);
        }
        closedir(listing);
    }
    for (int fd : open) close(fd);
}

// Starts the job's program in a session of its own, parented to init as launchd's jobs are,
// with the system root in its environment. Returns its pid, or 0.
pid_t launch(const launchd::JobDescription& job) {
    auto program = platform::systemPath(job.arguments[0]).string();
    auto root = platform::systemRoot().string();
    auto errors = job.standardErrorPath.empty()
                      ? std::string("/dev/null")
                      : platform::systemPath(job.standardErrorPath).string();
    if (!job.standardErrorPath.empty()) {
        // A Mac has its log folders from the start; a virtual root starts empty.
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(errors).parent_path(), ignored);
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return 0;
    fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
    fcntl(pipeFds[1], F_SETFD, FD_CLOEXEC);
    pid_t first = fork();
    if (first == 0) {
        setsid();
        pid_t second = fork();
        if (second == 0) {
            setenv("VENTORIA_SYSROOT", root.c_str(), 1);
            // A job starts with nothing of ours: no terminal, no inherited descriptors.
            int null = open("/dev/null", O_RDWR);
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            int log = open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2(log >= 0 ? log : null, STDERR_FILENO);
            closeInheritedDescriptors();
            std::vector<char*> argv;
            argv.push_back(program.data());
            for (std::size_t i = 1; i < job.arguments.size(); ++i) {
                argv.push_back(const_cast<char*>(job.arguments[i].c_str()));
            }
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        (void)!write(pipeFds[1], &second, sizeof second);
        _exit(0);
    }
    close(pipeFds[1]);
    pid_t launched = 0;
    if (read(pipeFds[0], &launched, sizeof launched) != sizeof launched) launched = 0;
    close(pipeFds[0]);
    waitpid(first, nullptr, 0);
    return launched;
}

int bootstrap(const std::string& plistPath) {
    auto job = launchd::readJob(plistPath);
    if (!job) return bootstrapFailed(5, "Input/output error");
    if (auto running = launchd::readRecord(job->label); running && launchd::alive(*running)) {
        return bootstrapFailed(5, "Input/output error");  // already loaded
    }
    if (access(platform::systemPath(job->arguments[0]).c_str(), X_OK) != 0) {
        return bootstrapFailed(2, "No such file or directory");
    }
    pid_t pid = launch(*job);
    auto started = pid > 0 ? platform::processStart(pid) : std::nullopt;
    if (!started) return bootstrapFailed(5, "Input/output error");
    launchd::RunningJob running{pid, *started};
    launchd::writeRecord(job->label, running);
    // Like launchd, it returns once the job is started, not once it listens: a client waits
    // for the helper's answer itself.
    return 0;
}

int bootout(const std::string& target) {
    const std::string domain = "system/";
    if (!target.starts_with(domain)) {
        std::cerr << "Unrecognized target specifier.\n";
        return 1;
    }
    auto label = target.substr(domain.size());
    auto running = launchd::readRecord(label);
    if (!running || !launchd::alive(*running)) {
        launchd::removeRecord(label);
        std::cerr << "Boot-out failed: 3: No such process\n";
        return 3;
    }
    kill(running->pid, SIGTERM);
    auto deadline = Clock::now() + kPatience;
    while (launchd::alive(*running) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (launchd::alive(*running)) kill(running->pid, SIGKILL);
    launchd::removeRecord(label);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 3 && arguments[0] == "bootstrap" && arguments[1] == "system") {
        return bootstrap(arguments[2]);
    }
    if (arguments.size() == 2 && arguments[0] == "bootout") return bootout(arguments[1]);
    std::cerr << "usage: launchctl bootstrap system PLIST\n"
                 "       launchctl bootout system/LABEL\n";
    return 64;
}
