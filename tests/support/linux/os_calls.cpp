#include "os_calls.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "virtual_mac_test.h"

namespace ventoria::test {

int unixStreamSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

ssize_t sendQuietly(int fd, const void* data, std::size_t size) {
    return ::send(fd, data, size, MSG_NOSIGNAL);
}

int closeOnExecPipe(int fds[2]) {
    return ::pipe2(fds, O_CLOEXEC);
}

long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    }
    return -1;
}

std::vector<sim::KernelDriver> backendsHere() {
    return {sim::KernelDriver::none, sim::KernelDriver::applesmc};
}

}  // namespace ventoria::test
