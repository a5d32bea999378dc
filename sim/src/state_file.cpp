#include "state_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <type_traits>

#include "profiles.h"

namespace ventoria::sim {
namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw SimError(what + " " + path.string() + ": " + std::strerror(errno));
}

MachineState* mapFd(int fd, const std::filesystem::path& path) {
    void* memory = mmap(nullptr, sizeof(MachineState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) fail("cannot map", path);
    return static_cast<MachineState*>(memory);
}

// A bool's byte as it lies in the file: anything but 0 or 1 is not a bool at all.
bool validBool(const bool& flag) {
    std::uint8_t byte = 0;
    std::memcpy(&byte, &flag, 1);
    return byte <= 1;
}

template <typename Enum>
bool within(Enum value, Enum last) {
    return static_cast<std::underlying_type_t<Enum>>(value) <=
           static_cast<std::underlying_type_t<Enum>>(last);
}

bool validFault(const Fault& fault) {
    return within(fault.kind, FaultKind::kernel);
}

// The file is shared with whoever owns the machine, so a program that maps it trusts nothing
// in it that could send it out of bounds: a file that fails any check is booted afresh.
bool usable(const MachineState* state) {
    if (state->magic != kStateMagic || state->layoutVersion != kStateLayoutVersion ||
        state->layoutSize != sizeof(MachineState)) {
        return false;
    }
    if (!within(state->profile, Profile::noSMC) || !within(state->clockMode, ClockMode::manual) ||
        !validBool(state->loadWave) || !validBool(state->detached) || state->fanCount > kMaxFans ||
        !within(state->driver.kind, KernelDriver::macsmc) || !validBool(state->driver.loaded) ||
        !validBool(state->driver.fanControl) || state->keyCount > kMaxKeys ||
        !validFault(state->indexFault.fault)) {
        return false;
    }
    // Machine time runs from 0 at boot and fits a century, so its sums cannot overflow.
    constexpr std::int64_t kCentury = 100LL * 365 * 24 * 3600 * 1'000'000'000;
    for (const std::int64_t nanos : {state->manualNanos, state->physicsNanos}) {
        if (nanos < 0 || nanos > kCentury) return false;
    }
    if (state->clockOffsetNanos < 0 || state->clockOffsetNanos > monotonicNanos()) return false;
    for (const double value :
         {state->loadPercent, state->hotSeconds, state->ambient, state->chip, state->chassis}) {
        if (!std::isfinite(value)) return false;
    }
    for (std::uint32_t i = 0; i < state->fanCount; ++i) {
        const auto& fan = state->fans[i];
        for (const double value : {fan.min, fan.max, fan.actual, fan.machineTarget}) {
            if (!std::isfinite(value)) return false;
        }
    }
    for (std::uint32_t i = 0; i < state->keyCount; ++i) {
        const auto& key = state->keys[i];
        if (key.size > kKeyDataSize || !within(key.role, KeyRole::chassisSensor) ||
            key.fan >= kMaxFans || !validBool(key.writable) || !validFault(key.fault) ||
            !std::isfinite(key.sensorOffset)) {
            return false;
        }
    }
    return true;
}

// Writes `size` zero bytes, which gives the file its blocks on any file system and any system
// (posix_fallocate is not on macOS). False, with errno set, when the disk is full.
bool reserve(int fd, std::size_t size) {
    const std::array<char, 4096> zeros{};
    for (std::size_t done = 0; done < size;) {
        auto written = ::write(fd, zeros.data(), std::min(zeros.size(), size - done));
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Writes a whole machine to a private file, then moves it into place in one step. With
// `replace` false a file that appeared meanwhile wins: another process booted the machine.
// The file's blocks are reserved before it is mapped: on a full disk a write through the
// mapping would kill the process with SIGBUS instead of failing here. Whatever fails, the
// private file goes.
void publish(const std::filesystem::path& path, const CreateOptions& options, bool replace) {
    auto temporary = path;
    temporary += ".new." + std::to_string(getpid()) + "." + std::to_string(std::random_device{}());
    // The helper runs as root, the application as the user who owns the machine: nobody else
    // may change it.
    int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) fail("cannot create", temporary);
    auto abandon = [&](const char* what) {
        int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = error;
        fail(what, temporary);
    };
    fchmod(fd, 0644);
    if (!reserve(fd, sizeof(MachineState))) abandon("no room for");
    void* memory = mmap(nullptr, sizeof(MachineState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) abandon("cannot map");
    auto* state = new (memory) MachineState{};
    rebuildState(*state, options);
    state->magic = kStateMagic;
    state->layoutVersion = kStateLayoutVersion;
    state->layoutSize = sizeof(MachineState);
    munmap(state, sizeof(MachineState));
    ::close(fd);

    int rc = replace ? ::rename(temporary.c_str(), path.c_str())
                     : ::link(temporary.c_str(), path.c_str());
    int error = errno;
    if (!replace || rc != 0) ::unlink(temporary.c_str());
    if (rc != 0 && !(error == EEXIST && !replace)) {
        errno = error;
        fail("cannot publish", path);
    }
}

}  // namespace

bool soundMapping(int fd, const MachineState& state) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) < sizeof(MachineState)) {
        return false;
    }
    return state.magic == kStateMagic && state.layoutVersion == kStateLayoutVersion &&
           state.layoutSize == sizeof(MachineState) && state.fanCount <= kMaxFans &&
           state.keyCount <= kMaxKeys;
}

std::optional<Mapping> mapExistingState(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) == sizeof(MachineState)) {
        void* memory =
            mmap(nullptr, sizeof(MachineState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory != MAP_FAILED) {
            auto* state = static_cast<MachineState*>(memory);
            if (usable(state)) return Mapping{fd, state};
            munmap(state, sizeof(MachineState));
        }
    }
    ::close(fd);
    return std::nullopt;
}

std::int64_t monotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t machineNanos(const MachineState& state) {
    return state.clockMode == ClockMode::real ? monotonicNanos() - state.clockOffsetNanos
                                              : state.manualNanos;
}

void rebuildState(MachineState& state, const CreateOptions& options) {
    auto boots = state.boots;
    buildMachine(state, options);
    state.boots = boots + 1;
    state.clockOffsetNanos = monotonicNanos();  // machine time starts at 0 at boot
}

Mapping mapState(const std::filesystem::path& path, const CreateOptions& options) {
    std::filesystem::create_directories(path.parent_path());
    for (int attempt = 0; attempt < 4; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT) fail("cannot open", path);
            publish(path, options, false);
            continue;
        }
        struct stat info {};
        if (fstat(fd, &info) == 0 &&
            static_cast<std::size_t>(info.st_size) == sizeof(MachineState)) {
            auto* state = mapFd(fd, path);
            if (usable(state)) return Mapping{fd, state};
            munmap(state, sizeof(MachineState));
        }
        ::close(fd);
        publish(path, options, true);  // left by a build with another layout
    }
    throw SimError("the virtual Mac at " + path.string() + " keeps changing under us");
}

void unmapState(Mapping mapping) {
    if (mapping.state) munmap(mapping.state, sizeof(MachineState));
    if (mapping.fd >= 0) ::close(mapping.fd);
}

}  // namespace ventoria::sim
