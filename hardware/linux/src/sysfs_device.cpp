#include "ventoria/hardware/sysfs_device.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "ventoria/hardware/smc_error.h"

namespace ventoria::hardware {
namespace {

// An attribute is one value: a number, a label, a flag. Anything longer is not ours to parse.
constexpr std::size_t kLongestAttribute = 128;

bool driverGone(int error) {
    return error == ENODEV || error == ENOENT || error == ENXIO;
}

void closeAll(std::unordered_map<std::string, int>& descriptors) {
    for (auto& [name, fd] : descriptors) ::close(fd);
    descriptors.clear();
}

}  // namespace

SysfsDevice::~SysfsDevice() {
    closeAll(readers_);
    closeAll(writers_);
}

const std::optional<std::filesystem::path>& SysfsDevice::folder() {
    if (!folder_) folder_ = find_();
    return folder_;
}

void SysfsDevice::noteError(int error) {
    if (!driverGone(error)) return;
    closeAll(readers_);
    closeAll(writers_);
    folder_.reset();
}

int SysfsDevice::descriptor(const std::string& attribute, bool writing) {
    auto& open = writing ? writers_ : readers_;
    if (auto found = open.find(attribute); found != open.end()) return found->second;
    const auto& dir = folder();
    if (!dir) {
        errno = ENODEV;
        return -1;
    }
    int fd = ::open((*dir / attribute).c_str(), (writing ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
    if (fd >= 0) open.emplace(attribute, fd);
    return fd;
}

std::optional<std::string> SysfsDevice::text(const std::string& attribute) {
    int fd = descriptor(attribute, false);
    if (fd < 0) {
        noteError(errno);
        return std::nullopt;
    }
    char buffer[kLongestAttribute];
    ++calls_;
    auto got = ::pread(fd, buffer, sizeof buffer, 0);
    if (got < 0) {
        noteError(errno);
        return std::nullopt;
    }
    std::string value(buffer, static_cast<std::size_t>(got));
    if (auto end = value.find('\n'); end != std::string::npos) value.resize(end);
    return value;
}

std::optional<long long> SysfsDevice::number(const std::string& attribute) {
    auto value = text(attribute);
    if (!value) return std::nullopt;
    long long parsed = 0;
    auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), parsed);
    if (error != std::errc{} || end != value->data() + value->size()) return std::nullopt;
    return parsed;
}

bool SysfsDevice::has(const std::string& attribute) {
    const auto& dir = folder();
    if (!dir) return false;
    if (::access((*dir / attribute).c_str(), F_OK) == 0) return true;
    // No such file, or no such folder any more: only the second means the driver went.
    if (::access(dir->c_str(), F_OK) != 0) noteError(ENODEV);
    return false;
}

void SysfsDevice::write(const std::string& attribute, long long value) {
    int fd = descriptor(attribute, true);
    if (fd >= 0) {
        auto text = std::to_string(value);
        ++calls_;
        auto put = ::pwrite(fd, text.data(), text.size(), 0);
        if (put == static_cast<ssize_t>(text.size())) return;
        if (put >= 0) errno = EIO;  // a short write is no write the driver took whole
    }
    int error = errno;
    noteError(error);
    throw SMCError::driverRefused(attribute, error);
}

}  // namespace ventoria::hardware
