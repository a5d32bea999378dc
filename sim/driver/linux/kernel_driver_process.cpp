#include "kernel_driver_process.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {
namespace {

constexpr std::chrono::seconds kMountWait{5};

std::filesystem::path mountpoint(const std::filesystem::path& root) {
    return root / "sys";
}

std::filesystem::path pidFile(const std::filesystem::path& root) {
    return root / "VirtualMac" / "kernel-driver.pid";
}

std::filesystem::path logFile(const std::filesystem::path& root) {
    return root / "VirtualMac" / "kernel-driver.log";
}

// The driver's files are there: the mounted tree always has "class".
bool mounted(const std::filesystem::path& root) {
    struct stat info {};
    return ::stat((mountpoint(root) / "class").c_str(), &info) == 0;
}

// A mount whose process died answers "not connected" to every look: only a lazy unmount
// takes it away.
void detach(const std::filesystem::path& root) {
    auto path = mountpoint(root);
    if (::umount2(path.c_str(), MNT_DETACH) == 0) return;
    pid_t child = ::fork();
    if (child == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::execlp("fusermount3", "fusermount3", "-u", "-z", path.c_str(), nullptr);
        ::_exit(127);
    }
    if (child > 0) ::waitpid(child, nullptr, 0);
}

bool waitFor(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + kMountWait;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Gone, or a zombie only its parent's wait still holds: either way it serves nothing more.
bool ended(pid_t pid) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string fields;
    if (!std::getline(stat, fields)) return true;
    auto name = fields.rfind(')');  // the state follows the name, which may hold anything
    return name != std::string::npos && fields.compare(name + 1, 2, " Z") == 0;
}

std::string logText(const std::filesystem::path& root) {
    std::ifstream log(logFile(root));
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

}  // namespace

void startKernelDriver(const std::filesystem::path& root) {
    stopKernelDriver(root);
    std::filesystem::create_directories(mountpoint(root));
    auto program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "ventoria-kernel";
    pid_t child = ::fork();
    if (child < 0)
        throw SimError("cannot start the kernel driver: " + std::string(std::strerror(errno)));
    if (child == 0) {
        ::setsid();  // outlives this command, and its terminal's signals
        int null = ::open("/dev/null", O_RDONLY);
        int log = ::open(logFile(root).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(null, STDIN_FILENO);
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        ::execl(program.c_str(), program.c_str(), nullptr);
        ::_exit(127);
    }
    std::ofstream(pidFile(root)) << child << "\n";
    bool exited = false;
    bool up = waitFor([&] {
        exited = ::waitpid(child, nullptr, WNOHANG) == child;
        return exited || mounted(root);
    });
    if (!up || exited || !mounted(root)) {
        if (!exited) ::kill(child, SIGKILL);
        std::filesystem::remove(pidFile(root));
        throw SimError("the kernel driver did not come up: " + logText(root));
    }
}

void stopKernelDriver(const std::filesystem::path& root) {
    std::ifstream file(pidFile(root));
    pid_t pid = 0;
    if (file >> pid && pid > 0) {
        // Only the driver itself: a pid left in the file may since name another process.
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        if (!std::getline(comm, name) || name != "ventoria-kernel") pid = 0;
    }
    if (pid > 0) ::kill(pid, SIGTERM);
    if (!waitFor([&] { return !mounted(root); })) detach(root);
    // Its mount gone, the driver may still be on its way out, or stuck in a request the
    // unmount left it: it must not outlive the machine it served.
    if (pid > 0 && !waitFor([&] { return ended(pid); })) {
        ::kill(pid, SIGKILL);
        waitFor([&] { return ended(pid); });
    }
    struct stat info {};
    if (::stat(mountpoint(root).c_str(), &info) != 0 && errno == ENOTCONN) detach(root);
    std::error_code ignored;
    std::filesystem::remove(pidFile(root), ignored);
    std::filesystem::remove(mountpoint(root), ignored);  // only when empty: never a real /sys
}

}  // namespace ventoria::sim
