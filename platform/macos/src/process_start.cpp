#include "ventoria/platform/process_start.h"

#include <sys/proc.h>
#include <sys/sysctl.h>

namespace ventoria::platform {

std::optional<std::uint64_t> processStart(pid_t pid) {
    int name[] = {CTL_KERN, KERN_PROC, KERN_PROC_PID, pid};
    kinfo_proc info{};
    size_t size = sizeof info;
    if (sysctl(name, 4, &info, &size, nullptr, 0) != 0 || size == 0) return std::nullopt;
    if (info.kp_proc.p_stat == SZOMB) return std::nullopt;
    const timeval& started = info.kp_proc.p_starttime;  // microseconds since the epoch
    return static_cast<std::uint64_t>(started.tv_sec) * 1'000'000 +
           static_cast<std::uint64_t>(started.tv_usec);
}

}  // namespace ventoria::platform
