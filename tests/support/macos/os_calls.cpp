#include "os_calls.h"

#include <fcntl.h>
#include <libproc.h>
#include <sys/socket.h>
#include <unistd.h>

#include "virtual_mac_test.h"

namespace ventoria::test {
namespace {

void quiet(int fd) {
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
}

}  // namespace

// macOS has neither SOCK_CLOEXEC nor pipe2: the flags follow at once, before the test can
// start a program.
int unixStreamSocket() {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    quiet(fd);
    return fd;
}

ssize_t sendQuietly(int fd, const void* data, std::size_t size) {
    quiet(fd);
    return ::send(fd, data, size, 0);
}

int closeOnExecPipe(int fds[2]) {
    if (::pipe(fds) != 0) return -1;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    return 0;
}

long residentKiB(pid_t pid) {
    proc_taskinfo info{};
    if (proc_pidinfo(pid, PROC_PIDTASKINFO, 0, &info, sizeof info) != sizeof info) return -1;
    return static_cast<long>(info.pti_resident_size / 1024);
}

std::vector<sim::KernelDriver> backendsHere() {
    return {sim::KernelDriver::none};
}

}  // namespace ventoria::test
