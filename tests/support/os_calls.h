#pragma once
// The few calls the test support makes that Linux and macOS spell differently.

#include <sys/types.h>

#include <cstddef>

namespace ventoria::test {

// A Unix stream socket that is closed on exec and never raises SIGPIPE; -1 on failure.
int unixStreamSocket();
// send() that reports a closed peer as EPIPE instead of killing the test with SIGPIPE.
ssize_t sendQuietly(int fd, const void* data, std::size_t size);
// pipe() with both ends closed on exec, so a program a test starts inherits neither.
int closeOnExecPipe(int fds[2]);
// The resident memory of a process in KiB, or -1 when it cannot be read.
long residentKiB(pid_t pid);

}  // namespace ventoria::test
