#include "ventoria/sim/virtual_mac.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>

#include "key_table.h"
#include "physics.h"
#include "state_file.h"
#include "ventoria/sim/value_codec.h"

namespace ventoria::sim {

// Holds the machine's lock and brings the physics up to the present, so every caller sees
// the machine as it is now. The lock is an flock on the state file, which the kernel lets go
// of when its holder dies, on Linux and macOS alike; it is taken per open file, so threads
// that share one VirtualMac also take its in-process mutex.
class VirtualMac::Locked {
  public:
    explicit Locked(VirtualMac& mac) : threads_(mac.threads_), fd_(mac.fd_), state_(*mac.state_) {
        while (flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                throw SimError(std::string("cannot lock the virtual Mac: ") + std::strerror(errno));
            }
        }
        // Another process may have cut the file short (a page past its end kills whoever
        // touches it) or written nonsense over it: nothing is read until both are ruled out.
        if (!soundMapping(fd_, state_)) {
            flock(fd_, LOCK_UN);
            throw MachineGone("the virtual Mac's state file changed under this process");
        }
        nanos = machineNanos(state_);
        runPhysics(state_, nanos);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { flock(fd_, LOCK_UN); }

    MachineState& operator*() { return state_; }
    MachineState* operator->() { return &state_; }
    std::int64_t nanos;

  private:
    std::unique_lock<std::mutex> threads_;
    int fd_;
    MachineState& state_;
};

namespace {

// Offsets of the fields of the 80-byte user-client record.
constexpr std::size_t kKeyOffset = 0;
constexpr std::size_t kInfoSizeOffset = 28;
constexpr std::size_t kInfoTypeOffset = 32;
constexpr std::size_t kResultOffset = 40;
constexpr std::size_t kCommandOffset = 42;
constexpr std::size_t kIndexOffset = 44;
constexpr std::size_t kBytesOffset = 48;

std::uint32_t field32(const std::uint8_t* record, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, record + offset, sizeof value);  // host byte order, as the kernel has it
    return value;
}

void setField32(std::uint8_t* record, std::size_t offset, std::uint32_t value) {
    std::memcpy(record + offset, &value, sizeof value);
}

struct Outcome {
    std::int32_t kernel = 0;
    std::uint8_t result = 0;
};

Outcome faultOutcome(Fault& fault) {
    if (fault.kind != FaultKind::none && fault.every > 1 && ++fault.calls % fault.every != 0) {
        return {};  // one of the calls between the failing ones
    }
    switch (fault.kind) {
        case FaultKind::none:
            return {};
        case FaultKind::missing:
            return {0, kResultKeyNotFound};
        case FaultKind::result:
            return {0, fault.result};
        case FaultKind::kernel:
            return {fault.kernel, 0};
    }
    return {};
}

bool failed(const Outcome& outcome) {
    return outcome.kernel != 0 || outcome.result != 0;
}

Outcome writeKey(MachineState& state, KeyRecord& key, std::uint32_t infoSize,
                 const std::uint8_t* data) {
    if (!key.writable) return {0, kResultNotWritable};
    if (infoSize != key.size) return {0, kResultSizeMismatch};
    KeyRecord incoming = key;
    std::copy_n(data, std::min<std::size_t>(key.size, kKeyDataSize), incoming.bytes);
    if (key.role == KeyRole::fanMode && keyValue(incoming) == 1.0) {
        // Forcing a fan is refused until forced control is switched on machine-wide.
        if (auto* test = findKey(state, "Ftst"); test && keyValue(*test) != 1.0) {
            return {0, kResultNotWritable};
        }
    }
    std::copy_n(incoming.bytes, kKeyDataSize, key.bytes);
    ++key.writes;
    return {};
}

Outcome serve(MachineState& state, std::int64_t nanos, const std::uint8_t* in, std::uint8_t* out) {
    auto command = static_cast<Command>(in[kCommandOffset]);
    auto code = field32(in, kKeyOffset);
    switch (command) {
        case Command::keyAtIndex: {
            ++state.calls.keyAtIndex;
            auto index = field32(in, kIndexOffset);
            if (state.indexFault.index >= 0 &&
                static_cast<std::uint32_t>(state.indexFault.index) == index) {
                if (auto outcome = faultOutcome(state.indexFault.fault); failed(outcome)) {
                    return outcome;
                }
            }
            if (index >= state.keyCount) return {0, kResultIndexRange};
            setField32(out, kKeyOffset, state.keys[index].code);
            return {};
        }
        case Command::readKeyInfo:
            ++state.calls.readKeyInfo;
            break;
        case Command::readBytes:
            ++state.calls.readBytes;
            break;
        case Command::writeBytes:
            ++state.calls.writeBytes;
            break;
        default:
            return {0, kResultBadCommand};
    }

    auto* key = findKey(state, code);
    if (!key) return {0, kResultKeyNotFound};
    if (auto outcome = faultOutcome(key->fault); failed(outcome)) return outcome;
    auto infoSize = field32(in, kInfoSizeOffset);
    switch (command) {
        case Command::readKeyInfo:
            setField32(out, kInfoSizeOffset, key->size);
            setField32(out, kInfoTypeOffset, key->type);
            return {};
        case Command::readBytes:
            if (infoSize != key->size) return {0, kResultSizeMismatch};
            refreshKey(state, *key, nanos);
            std::copy_n(key->bytes, std::min<std::size_t>(key->size, kKeyDataSize),
                        out + kBytesOffset);
            return {};
        default:
            return writeKey(state, *key, infoSize, in + kBytesOffset);
    }
}

KeyRecord& existingKey(MachineState& state, const std::string& name) {
    auto* key = findKey(state, name);
    if (!key) throw SimError("the virtual SMC has no key \"" + name + "\"");
    return *key;
}

// A value set by hand replaces what the machine would produce; fan controls stay controls.
void pin(KeyRecord& key) {
    if (key.role != KeyRole::fanTarget && key.role != KeyRole::fanMode) key.role = KeyRole::plain;
}

}  // namespace

std::string profileName(Profile profile) {
    switch (profile) {
        case Profile::appleSilicon:
            return "apple-silicon";
        case Profile::intel:
            return "intel";
        case Profile::t2:
            return "t2";
        case Profile::fanless:
            return "fanless";
        case Profile::noSMC:
            return "no-smc";
    }
    return "unknown";
}

std::optional<Profile> profileFromName(std::string_view name) {
    for (auto profile :
         {Profile::appleSilicon, Profile::intel, Profile::t2, Profile::fanless, Profile::noSMC}) {
        if (profileName(profile) == name) return profile;
    }
    return std::nullopt;
}

std::string driverName(KernelDriver driver) {
    switch (driver) {
        case KernelDriver::none:
            return "none";
        case KernelDriver::applesmc:
            return "applesmc";
        case KernelDriver::applesmcT2:
            return "applesmc-t2";
        case KernelDriver::macsmc:
            return "macsmc";
    }
    return "unknown";
}

std::optional<KernelDriver> driverFromName(std::string_view name) {
    for (auto driver : {KernelDriver::none, KernelDriver::applesmc, KernelDriver::applesmcT2,
                        KernelDriver::macsmc}) {
        if (driverName(driver) == name) return driver;
    }
    return std::nullopt;
}

Profile driverProfile(KernelDriver driver) {
    switch (driver) {
        case KernelDriver::applesmc:
            return Profile::intel;
        case KernelDriver::applesmcT2:
            return Profile::t2;
        case KernelDriver::none:
        case KernelDriver::macsmc:
            break;
    }
    return Profile::appleSilicon;
}

std::filesystem::path VirtualMac::statePath(const std::filesystem::path& systemRoot) {
    return systemRoot / "VirtualMac" / "smc.state";
}

namespace {

// The machine's console, whose owner is the user logged in at it: whoever created the machine.
void provideConsole(const std::filesystem::path& systemRoot, bool recreate) {
    auto console = systemRoot / "dev" / "console";
    std::error_code ignored;
    std::filesystem::create_directories(console.parent_path(), ignored);
    if (recreate) std::filesystem::remove(console, ignored);
    int fd = ::open(console.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
}

}  // namespace

std::shared_ptr<VirtualMac> VirtualMac::open(const std::filesystem::path& systemRoot) {
    provideConsole(systemRoot, false);
    auto mapping = mapState(statePath(systemRoot), CreateOptions{});
    return std::shared_ptr<VirtualMac>(new VirtualMac(mapping.fd, mapping.state));
}

std::shared_ptr<VirtualMac> VirtualMac::attach(const std::filesystem::path& systemRoot) {
    auto mapping = mapExistingState(statePath(systemRoot));
    if (!mapping) return nullptr;
    return std::shared_ptr<VirtualMac>(new VirtualMac(mapping->fd, mapping->state));
}

std::shared_ptr<VirtualMac> VirtualMac::create(const std::filesystem::path& systemRoot,
                                               const CreateOptions& options) {
    provideConsole(systemRoot, true);
    auto mapping = mapState(statePath(systemRoot), options);
    auto mac = std::shared_ptr<VirtualMac>(new VirtualMac(mapping.fd, mapping.state));
    Locked machine(*mac);
    rebuildState(*machine, options);
    return mac;
}

VirtualMac::VirtualMac(int fd, MachineState* state) : fd_(fd), state_(state) {}

VirtualMac::~VirtualMac() {
    unmapState(Mapping{fd_, state_});
}

bool VirtualMac::intact() {
    // Without the lock: a hint for whether to look for a new machine, asked on every look-up.
    return soundMapping(fd_, *state_);
}

std::uint64_t VirtualMac::boot() {
    return __atomic_load_n(&state_->boots, __ATOMIC_ACQUIRE);
}

bool VirtualMac::hasSMCService() {
    try {
        Locked machine(*this);
        return machine->profile != Profile::noSMC && !machine->detached;
    } catch (const MachineGone&) {
        return false;
    }
}

std::int32_t VirtualMac::call(std::uint32_t selector, const void* input, std::size_t inputSize,
                              void* output, std::size_t* outputSize) {
    if (selector != kStructSelector) return kKernelUnsupported;
    if (!input || inputSize != kParamSize || !output || !outputSize || *outputSize < kParamSize) {
        return kKernelBadArgument;
    }
    std::uint8_t in[kParamSize];
    std::uint8_t out[kParamSize] = {};
    std::memcpy(in, input, kParamSize);
    Outcome outcome;
    try {
        Locked machine(*this);
        if (machine->detached) return kKernelNoDevice;
        outcome = serve(*machine, machine.nanos, in, out);
    } catch (const SimError&) {
        return kKernelNoDevice;  // the machine's file is gone or cannot be locked: no device
    }
    if (outcome.kernel != 0) return outcome.kernel;
    out[kResultOffset] = outcome.result;
    std::memcpy(output, out, kParamSize);
    *outputSize = kParamSize;
    return 0;
}

std::uint32_t VirtualMac::latencyMicros() {
    // Read on every call before the lock is taken: the delay must not hold up other callers.
    // A file cut short under the mapping would kill the process that reads past its end.
    if (!intact()) return 0;
    return __atomic_load_n(&state_->latencyMicros, __ATOMIC_RELAXED);
}

std::chrono::nanoseconds VirtualMac::now() {
    Locked machine(*this);
    return std::chrono::nanoseconds(machine.nanos);
}

ClockMode VirtualMac::clockMode() {
    Locked machine(*this);
    return machine->clockMode;
}

int VirtualMac::pressureLevel() {
    Locked machine(*this);
    return machine->pressure;
}

Display VirtualMac::display() {
    Locked machine(*this);
    return machine->display;
}

PowerSupply VirtualMac::powerSupply() {
    Locked machine(*this);
    return machine->power;
}

void VirtualMac::setLoad(double percent) {
    if (!std::isfinite(percent) || percent < 0 || percent > 100) {
        throw SimError("a load is a percentage from 0 to 100");
    }
    Locked machine(*this);
    machine->loadPercent = percent;
    machine->loadWave = false;
}

void VirtualMac::setLoadWave() {
    Locked machine(*this);
    machine->loadWave = true;
}

void VirtualMac::setPressure(std::optional<int> level) {
    // The system's levels: nominal, moderate, heavy, trapping, sleeping.
    if (level && (*level < 0 || *level > 4)) throw SimError("a pressure level is 0 to 4, or auto");
    Locked machine(*this);
    machine->pressureOverride = level.value_or(-1);
    if (level) machine->pressure = *level;
}

void VirtualMac::advance(std::chrono::nanoseconds by) {
    if (by.count() < 0) throw SimError("the clock only moves forward");
    if (by > kLongestAdvance) throw SimError("the clock moves at most a year at a time");
    Locked machine(*this);
    if (machine->clockMode != ClockMode::manual) {
        throw SimError("the virtual Mac runs on the real clock; create it with --clock manual");
    }
    machine->manualNanos += by.count();
    runPhysics(*machine, machine->manualNanos);
}

void VirtualMac::setValue(const std::string& name, double value) {
    Locked machine(*this);
    auto& key = existingKey(*machine, name);
    auto type = nameOf(key.type);
    auto bytes = encodeValue(type, value, key.size);
    if (!bytes) {
        throw SimError("key \"" + name + "\" has type \"" + type +
                       "\", which holds no number; use set-raw");
    }
    pin(key);
    std::fill(std::begin(key.bytes), std::end(key.bytes), 0);
    std::copy_n(bytes->begin(), std::min<std::size_t>(bytes->size(), kKeyDataSize), key.bytes);
}

void VirtualMac::setRaw(const std::string& name, const std::string& type,
                        const std::vector<std::uint8_t>& bytes) {
    if (name.empty() || name.size() > 4 || type.size() != 4) {
        throw SimError("a key is up to four characters and a type exactly four");
    }
    if (bytes.size() > 255) throw SimError("a key holds at most 255 bytes");
    Locked machine(*this);
    KeyRecord record;
    if (auto* existing = findKey(*machine, name)) {
        record = *existing;
        pin(record);
    } else {
        record.code = codeOf(name);
        record.writable = true;
    }
    record.type = codeOf(type);
    record.size = static_cast<std::uint32_t>(bytes.size());
    std::fill(std::begin(record.bytes), std::end(record.bytes), 0);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), kKeyDataSize), record.bytes);
    putKey(*machine, record);
}

void VirtualMac::setFault(const std::string& name, Fault fault) {
    Locked machine(*this);
    if (name.size() > 1 && name[0] == '#' && name != "#KEY") {
        int index = -1;
        auto digits = std::string_view(name).substr(1);
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (error != std::errc{} || end != digits.data() + digits.size() || index < 0) {
            throw SimError("\"" + name + "\" names neither a key nor a key index");
        }
        if (static_cast<std::uint32_t>(index) >= machine->keyCount) {
            throw SimError("the machine has " + std::to_string(machine->keyCount) +
                           " keys; there is no index " + std::to_string(index));
        }
        machine->indexFault = IndexFault{index, fault};
        return;
    }
    existingKey(*machine, name).fault = fault;
}

void VirtualMac::setLatency(std::uint32_t micros) {
    if (micros > kLongestLatencyMicros) throw SimError("a call is delayed by at most 10 s");
    Locked machine(*this);
    machine->latencyMicros = micros;
}

void VirtualMac::setDetached(bool detached) {
    Locked machine(*this);
    machine->detached = detached;
}

void VirtualMac::resetCounters() {
    Locked machine(*this);
    machine->calls = CallCounters{};
    for (std::uint32_t i = 0; i < machine->keyCount; ++i) machine->keys[i].writes = 0;
}

void VirtualMac::setDisplay(Display display) {
    Locked machine(*this);
    machine->display = display;
}

void VirtualMac::setPowerSupply(PowerSupply power) {
    Locked machine(*this);
    machine->power = power;
}

DriverState VirtualMac::kernelDriver() {
    Locked machine(*this);
    return machine->driver;
}

void VirtualMac::setDriverLoaded(bool loaded) {
    Locked machine(*this);
    auto& driver = machine->driver;
    if (driver.kind == KernelDriver::none) throw SimError("the machine has no kernel driver");
    if (loaded && !driver.loaded) ++driver.generation;
    driver.loaded = loaded;
}

void VirtualMac::setFanControl(bool enabled) {
    Locked machine(*this);
    if (machine->driver.kind != KernelDriver::macsmc) {
        throw SimError("fan_control is a parameter of the macsmc driver");
    }
    machine->driver.fanControl = enabled;
}

void VirtualMac::resume() {
    Locked machine(*this);
    for (std::uint32_t i = 0; i < machine->keyCount; ++i) {
        auto& key = machine->keys[i];
        auto name = nameOf(key.code);
        if (key.role == KeyRole::fanMode || name == "FS! " || name == "Ftst") storeValue(key, 0);
    }
}

Snapshot VirtualMac::snapshot() {
    Locked machine(*this);
    Snapshot shot;
    shot.profile = machine->profile;
    shot.clock = machine->clockMode;
    shot.seconds = static_cast<double>(machine.nanos) / 1e9;
    for (std::uint32_t i = 0; i < machine->fanCount; ++i) {
        const auto& fan = machine->fans[i];
        auto id = static_cast<int>(i);
        shot.fans.push_back(
            {id, fan.actual, driveTarget(*machine, id), fan.min, fan.max, isForced(*machine, id)});
    }
    if (auto* test = findKey(*machine, "Ftst")) shot.ftst = keyValue(*test);
    for (std::uint32_t i = 0; i < machine->keyCount; ++i) {
        auto& key = machine->keys[i];
        if (key.role == KeyRole::chipSensor || key.role == KeyRole::chassisSensor) {
            double value = sensorValue(*machine, key, machine.nanos);
            auto& hottest = key.role == KeyRole::chipSensor ? shot.chip : shot.chassis;
            hottest = std::max(hottest.value_or(value), value);
        }
        if (key.writes > 0) shot.writes[nameOf(key.code)] = key.writes;
    }
    shot.pressure = machine->pressure;
    shot.load = appliedLoad(*machine, machine.nanos);
    shot.loadWave = machine->loadWave;
    shot.latencyMicros = machine->latencyMicros;
    shot.detached = machine->detached;
    shot.calls = machine->calls;
    shot.keyCount = machine->keyCount;
    shot.display = machine->display;
    shot.power = machine->power;
    shot.driver = machine->driver;
    return shot;
}

std::optional<KeyDump> VirtualMac::dump(const std::string& name) {
    Locked machine(*this);
    auto* key = findKey(*machine, name);
    if (!key) return std::nullopt;
    refreshKey(*machine, *key, machine.nanos);
    auto size = std::min<std::size_t>(key->size, kKeyDataSize);
    return KeyDump{nameOf(key->code), nameOf(key->type), key->size,
                   std::vector<std::uint8_t>(key->bytes, key->bytes + size)};
}

}  // namespace ventoria::sim
