#pragma once
// One kernel driver's folder of sysfs attributes, read and written the way the kernel expects:
// each read afresh from the start of the file, each write one decimal number in one write().
// A driver can be unloaded and loaded again (T2 sleep recipes do) and come back under another
// path; an attribute that answers "no such device" or "no such file" makes the folder be
// looked for again on the next call.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace ventoria::hardware {

class SysfsDevice {
  public:
    using Finder = std::function<std::optional<std::filesystem::path>()>;

    explicit SysfsDevice(Finder find) : find_(std::move(find)) {}
    ~SysfsDevice();
    SysfsDevice(const SysfsDevice&) = delete;
    SysfsDevice& operator=(const SysfsDevice&) = delete;

    // The folder, looked for when it is not known; nothing while the driver is away.
    const std::optional<std::filesystem::path>& folder();
    // The attribute's first line without its end; nothing when it cannot be read.
    std::optional<std::string> text(const std::string& attribute);
    // The attribute as a whole number; nothing when unreadable or no number.
    std::optional<long long> number(const std::string& attribute);
    bool has(const std::string& attribute);
    // Writes `value` as decimal text. Throws SMCError::driverRefused with the errno.
    void write(const std::string& attribute, long long value);

    // Reads and writes made, for measuring what a tick costs.
    std::uint64_t calls() const { return calls_; }

  private:
    int descriptor(const std::string& attribute, bool writing);
    // Closes everything and forgets the folder, if `error` says the driver went away.
    void noteError(int error);

    Finder find_;
    std::optional<std::filesystem::path> folder_;
    std::unordered_map<std::string, int> readers_;
    std::unordered_map<std::string, int> writers_;
    std::uint64_t calls_ = 0;
};

}  // namespace ventoria::hardware
