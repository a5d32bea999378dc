#pragma once
// The files the Linux kernel's SMC drivers put under /sys, served from the virtual Mac: what
// applesmc shows on an Intel Mac, the same driver under ACPI on a T2 Mac, macsmc_hwmon on
// Apple silicon, and coretemp beside applesmc. Reads and writes go through the virtual SMC as
// the drivers' do through the real one, with the kernel's rules: one decimal number per
// write, EINVAL for what is no value, EOPNOTSUPP from macsmc_hwmon without fan_control,
// EIO when the SMC fails, and every file gone while the driver is unloaded.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ventoria/hardware/smc.h"
#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {

struct TreeEntry {
    enum class Kind { directory, file, link };
    Kind kind = Kind::directory;
    mode_t mode = 0;
    std::string target;  // a link's
    // The driver's load the file belongs to; 0 for files that outlive an unload.
    std::uint32_t generation = 0;
};

class DriverTree {
  public:
    explicit DriverTree(std::shared_ptr<VirtualMac> mac) : mac_(std::move(mac)) {}

    // Paths are relative to the mount, without a leading "/"; "" is the root.
    std::optional<TreeEntry> lookup(std::string_view path);
    std::vector<std::string> list(std::string_view path);
    // The file's text, or an errno.
    std::variant<std::string, int> read(std::string_view path);
    // 0, or an errno.
    int write(std::string_view path, std::string_view text);
    // An open file of `generation` answers "no such device" once its driver has gone.
    bool stale(std::uint32_t generation);

  private:
    struct Sensor {
        std::string key;
        std::string label;
    };
    struct Layout {
        DriverState driver;
        std::string folder;  // the driver's files
        std::map<std::string, TreeEntry> entries;
    };
    void afterFailure(const hardware::SMCError& error);
    const Layout& layout();
    void addFolder(Layout& layout, const std::string& path, std::uint32_t generation);
    void addFile(Layout& layout, const std::string& path, mode_t mode, std::uint32_t generation);
    const std::vector<Sensor>& sensors(const DriverState& driver);
    std::variant<std::string, int> readDriver(std::string_view name);
    int writeDriver(std::string_view name, std::string_view text);
    std::optional<double> key(const std::string& name);
    void store(const std::string& name, double value);
    hardware::SMC& smc();

    std::shared_ptr<VirtualMac> mac_;
    std::optional<hardware::SMC> smc_;
    std::optional<Layout> layout_;
    std::optional<std::pair<std::uint32_t, std::vector<Sensor>>> sensors_;
};

}  // namespace ventoria::sim
