#include "driver_tree.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>

#include "ventoria/hardware/smc_codec.h"
#include "ventoria/hardware/smc_encode.h"

namespace ventoria::sim {
namespace {

constexpr mode_t kReadOnly = S_IFREG | 0444;
constexpr mode_t kReadWrite = S_IFREG | 0644;
constexpr mode_t kFolder = S_IFDIR | 0755;
constexpr int kMostFans = 10;
// applesmc takes a value for the SMC only below this (its fixed-point range).
constexpr unsigned long kApplesmcLimit = 0x4000;
// coretemp, a driver of its own, keeps its number across the SMC driver's reloads.
constexpr const char* kCoretemp = "class/hwmon/hwmon1";

// The sensors an Apple-silicon device tree lists for macsmc_hwmon, with the labels it gives.
constexpr std::array<std::pair<const char*, const char*>, 9> kDeviceTreeSensors = {{
    {"Tp01", "CPU P-core 1"},
    {"Tp05", "CPU P-core 2"},
    {"Tp09", "CPU P-core 3"},
    {"Te05", "CPU E-core 1"},
    {"Tg05", "GPU 1"},
    {"TaLP", "Airflow left"},
    {"TaRF", "Airflow right"},
    {"TB0T", "Battery"},
    {"Ts0P", "Palm rest"},
}};

struct Attribute {
    std::string kind;  // "fan", "temp"
    int number = 0;    // from 1
    std::string suffix;
};

std::optional<Attribute> attributeOf(std::string_view name) {
    for (std::string_view kind : {"fan", "temp"}) {
        if (!name.starts_with(kind)) continue;
        auto rest = name.substr(kind.size());
        auto underscore = rest.find('_');
        if (underscore == rest.npos) return std::nullopt;
        int number = 0;
        auto [end, error] = std::from_chars(rest.data(), rest.data() + underscore, number);
        if (error != std::errc{} || end != rest.data() + underscore || number < 1) {
            return std::nullopt;
        }
        return Attribute{std::string(kind), number, std::string(rest.substr(underscore + 1))};
    }
    return std::nullopt;
}

// The kernel's kstrtoul in base 10, with the line end `echo` adds.
std::optional<unsigned long> decimal(std::string_view text) {
    if (text.ends_with('\n')) text.remove_suffix(1);
    unsigned long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string fanKey(int number, const char* suffix) {
    return "F" + std::to_string(number - 1) + suffix;
}

std::string whole(double value) {
    return std::to_string(std::lround(value)) + "\n";
}

bool applesmcLike(KernelDriver kind) {
    return kind == KernelDriver::applesmc || kind == KernelDriver::applesmcT2;
}

}  // namespace

// The connection is dropped, for the next call to open the service afresh as the driver's
// next probe would, only when its service has gone (the machine was booted afresh, the service
// went away), not when one key failed: opened afresh after a failed key, the next call of that
// key is two (its info, then its bytes), so a key failing every other call failed at every call.
void DriverTree::afterFailure(const hardware::SMCError& error) {
    using Case = hardware::SMCError::Case;
    bool keyFailed = error.kind() == Case::smcResult || error.kind() == Case::keyNotFound ||
                     (error.kind() == Case::callFailed && error.code() != kKernelNoDevice &&
                      error.code() != kKernelNotOpen);
    if (!keyFailed) smc_.reset();
}

hardware::SMC& DriverTree::smc() {
    if (!smc_) smc_.emplace();
    return *smc_;
}

std::optional<double> DriverTree::key(const std::string& name) {
    try {
        auto read = smc().read(name);
        return hardware::decode(read.bytes, read.info.type);
    } catch (const hardware::SMCError& error) {
        afterFailure(error);
        return std::nullopt;
    }
}

void DriverTree::store(const std::string& name, double value) {
    auto info = smc().keyInfo(name);
    smc().write(name, hardware::encode(value, info.type, info.size));
}

const std::vector<DriverTree::Sensor>& DriverTree::sensors(const DriverState& driver) {
    if (sensors_ && sensors_->first == driver.generation) return sensors_->second;
    std::vector<Sensor> found;
    try {
        if (driver.kind == KernelDriver::macsmc) {
            for (auto [name, label] : kDeviceTreeSensors) {
                if (smc().findKey(name)) found.push_back({name, label});
            }
        } else {
            // applesmc lists every temperature key the SMC has, labelled with the key.
            for (const auto& name : smc().allKeys()) {
                if (!name.starts_with("T")) continue;
                auto type = smc().keyInfo(name).type;
                if (type == "flt " || type.starts_with("sp")) found.push_back({name, name});
            }
        }
    } catch (const hardware::SMCError& error) {
        afterFailure(error);
    }
    sensors_.emplace(driver.generation, std::move(found));
    return sensors_->second;
}

void DriverTree::addFolder(Layout& layout, const std::string& path, std::uint32_t generation) {
    for (auto slash = path.find('/'); slash != path.npos; slash = path.find('/', slash + 1)) {
        layout.entries.try_emplace(path.substr(0, slash),
                                   TreeEntry{TreeEntry::Kind::directory, kFolder, {}, 0});
    }
    layout.entries[path] = {TreeEntry::Kind::directory, kFolder, {}, generation};
}

void DriverTree::addFile(Layout& layout, const std::string& path, mode_t mode,
                         std::uint32_t generation) {
    layout.entries[path] = {TreeEntry::Kind::file, mode, {}, generation};
}

const DriverTree::Layout& DriverTree::layout() {
    auto driver = mac_->kernelDriver();
    auto same = [&](const DriverState& other) {
        return other.kind == driver.kind && other.loaded == driver.loaded &&
               other.generation == driver.generation && other.fanControl == driver.fanControl;
    };
    if (layout_ && same(layout_->driver)) return *layout_;
    Layout fresh{driver, {}, {}};
    fresh.entries[""] = {TreeEntry::Kind::directory, kFolder, {}, 0};
    addFolder(fresh, "class/hwmon", 0);
    if (applesmcLike(driver.kind)) {
        addFolder(fresh, kCoretemp, 0);
        for (const char* file :
             {"name", "temp1_input", "temp1_label", "temp2_input", "temp2_label"}) {
            addFile(fresh, std::string(kCoretemp) + "/" + file, kReadOnly, 0);
        }
    }
    if (driver.kind != KernelDriver::none && driver.loaded) {
        auto generation = driver.generation;
        auto hwmon = "hwmon" + std::to_string(generation + 1);
        if (driver.kind == KernelDriver::macsmc) {
            fresh.folder = "class/hwmon/" + hwmon;
            addFolder(fresh, fresh.folder, generation);
            addFolder(fresh, "module/macsmc_hwmon/parameters", generation);
            addFile(fresh, "module/macsmc_hwmon/parameters/fan_control", kReadOnly, generation);
        } else {
            fresh.folder = driver.kind == KernelDriver::applesmc ? "devices/platform/applesmc.768"
                                                                 : "bus/acpi/devices/APP0001:00";
            addFolder(fresh, fresh.folder + "/hwmon/" + hwmon, generation);
            fresh.entries["class/hwmon/" + hwmon] = {TreeEntry::Kind::link, S_IFLNK | 0777,
                                                     "../../" + fresh.folder + "/hwmon/" + hwmon,
                                                     generation};
            addFile(fresh, fresh.folder + "/key_count", kReadOnly, generation);
        }
        addFile(fresh, fresh.folder + "/name", kReadOnly, generation);
        auto fans = key("FNum").value_or(0);
        for (int n = 1; n <= std::min<int>(static_cast<int>(fans), kMostFans); ++n) {
            auto fan = fresh.folder + "/fan" + std::to_string(n) + "_";
            for (const char* file : {"input", "max", "label"})
                addFile(fresh, fan + file, kReadOnly, generation);
            addFile(fresh, fan + "min",
                    driver.kind == KernelDriver::macsmc ? kReadOnly : kReadWrite, generation);
            if (driver.kind == KernelDriver::macsmc) {
                addFile(fresh, fan + "target", kReadWrite, generation);
            } else {
                addFile(fresh, fan + "output", kReadWrite, generation);
                addFile(fresh, fan + "manual", kReadWrite, generation);
            }
        }
        const auto& listed = sensors(driver);
        for (std::size_t i = 0; i < listed.size(); ++i) {
            auto temp = fresh.folder + "/temp" + std::to_string(i + 1) + "_";
            addFile(fresh, temp + "input", kReadOnly, generation);
            addFile(fresh, temp + "label", kReadOnly, generation);
        }
    }
    layout_ = std::move(fresh);
    return *layout_;
}

std::optional<TreeEntry> DriverTree::lookup(std::string_view path) {
    const auto& entries = layout().entries;
    auto found = entries.find(std::string(path));
    if (found == entries.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> DriverTree::list(std::string_view path) {
    std::vector<std::string> names;
    std::string prefix = path.empty() ? "" : std::string(path) + "/";
    for (const auto& [name, entry] : layout().entries) {
        if (name.empty() || !name.starts_with(prefix)) continue;
        auto rest = std::string_view(name).substr(prefix.size());
        if (!rest.empty() && rest.find('/') == rest.npos) names.emplace_back(rest);
    }
    return names;
}

bool DriverTree::stale(std::uint32_t generation) {
    if (generation == 0) return false;
    auto driver = mac_->kernelDriver();
    return !driver.loaded || driver.generation != generation;
}

std::variant<std::string, int> DriverTree::read(std::string_view path) {
    auto entry = lookup(path);
    if (!entry) return ENOENT;
    if (entry->kind != TreeEntry::Kind::file) return EISDIR;
    const auto& current = layout();
    std::string_view name = path.substr(path.rfind('/') + 1);
    if (path.starts_with(kCoretemp)) {
        if (name == "name") return std::string("coretemp\n");
        if (name.ends_with("_label")) {
            return std::string(name.starts_with("temp1") ? "Package id 0\n" : "Core 0\n");
        }
        auto chip = mac_->snapshot().chip;
        if (!chip) return EIO;
        return whole((*chip - (name.starts_with("temp1") ? 0.0 : 2.0)) * 1000);
    }
    if (path.starts_with("module/")) {
        return std::string(current.driver.fanControl ? "Y\n" : "N\n");
    }
    return readDriver(name);
}

std::variant<std::string, int> DriverTree::readDriver(std::string_view name) {
    auto kind = layout().driver.kind;
    if (name == "name") {
        return std::string(kind == KernelDriver::macsmc ? "macsmc_hwmon\n" : "applesmc\n");
    }
    auto number = [&](const std::string& smcKey, double scale) -> std::variant<std::string, int> {
        auto value = key(smcKey);
        if (!value) return EIO;
        return whole(*value * scale);
    };
    if (name == "key_count") return number("#KEY", 1);
    auto attribute = attributeOf(name);
    if (!attribute) return ENOENT;
    auto n = attribute->number;
    if (attribute->kind == "temp") {
        const auto& listed = sensors(layout().driver);
        if (static_cast<std::size_t>(n) > listed.size()) return ENOENT;
        const auto& sensor = listed[static_cast<std::size_t>(n - 1)];
        if (attribute->suffix == "label") return sensor.label + "\n";
        return number(sensor.key, 1000);
    }
    const auto& suffix = attribute->suffix;
    if (suffix == "label") return "Fan " + std::to_string(n) + "\n";
    if (suffix == "input") return number(fanKey(n, "Ac"), 1);
    if (suffix == "min") return number(fanKey(n, "Mn"), 1);
    if (suffix == "max") return number(fanKey(n, "Mx"), 1);
    if (suffix == "output" || suffix == "target") return number(fanKey(n, "Tg"), 1);
    if (suffix == "manual") {
        if (kind == KernelDriver::applesmcT2) {
            if (auto mode = key(fanKey(n, "Md"))) return whole(*mode);
        }
        auto mask = key("FS! ");
        if (!mask) return EIO;
        return std::to_string((static_cast<unsigned long>(*mask) >> (n - 1)) & 1) + "\n";
    }
    return ENOENT;
}

int DriverTree::write(std::string_view path, std::string_view text) {
    auto entry = lookup(path);
    if (!entry) return ENOENT;
    if (entry->kind != TreeEntry::Kind::file) return EISDIR;
    if ((entry->mode & S_IWUSR) == 0) return EACCES;
    return writeDriver(path.substr(path.rfind('/') + 1), text);
}

int DriverTree::writeDriver(std::string_view name, std::string_view text) {
    auto kind = layout().driver.kind;
    auto attribute = attributeOf(name);
    auto value = decimal(text);
    if (!attribute || !value) return EINVAL;
    auto n = attribute->number;
    try {
        if (kind == KernelDriver::macsmc) {
            if (!layout().driver.fanControl) return EOPNOTSUPP;
            if (*value == 0) {
                store(fanKey(n, "Md"), 0);
                bool anyForced = false;
                for (int other = 1; other <= kMostFans; ++other) {
                    anyForced = anyForced || key(fanKey(other, "Md")).value_or(0) == 1.0;
                }
                if (!anyForced && smc().findKey("Ftst")) store("Ftst", 0);
                return 0;
            }
            auto min = key(fanKey(n, "Mn"));
            auto max = key(fanKey(n, "Mx"));
            if (!min || !max) return EIO;
            auto rpm = static_cast<double>(*value);
            if (rpm < *min || rpm > *max) return EINVAL;
            if (smc().findKey("Ftst")) store("Ftst", 1);
            store(fanKey(n, "Tg"), rpm);
            store(fanKey(n, "Md"), 1);
            return 0;
        }
        if (*value >= kApplesmcLimit) return EINVAL;
        const auto& suffix = attribute->suffix;
        if (suffix == "output") {
            store(fanKey(n, "Tg"), static_cast<double>(*value));
        } else if (suffix == "min") {
            store(fanKey(n, "Mn"), static_cast<double>(*value));
        } else if (suffix == "manual") {
            if (kind == KernelDriver::applesmcT2 && smc().findKey(fanKey(n, "Md"))) {
                store(fanKey(n, "Md"), *value != 0 ? 1 : 0);
                return 0;
            }
            auto mask = key("FS! ");
            if (!mask) return EIO;
            auto bits = static_cast<unsigned long>(*mask);
            auto bit = 1UL << (n - 1);
            store("FS! ", static_cast<double>(*value != 0 ? bits | bit : bits & ~bit));
        } else {
            return EACCES;
        }
        return 0;
    } catch (const hardware::SMCError& error) {
        afterFailure(error);
        return EIO;
    }
}

}  // namespace ventoria::sim
