#pragma once
// The virtual Mac as it lives in its state file. Every process that opens the SMC maps this
// one record, so the layout is fixed-size plain data: no pointers, no owning types.

#include <pthread.h>

#include <cstddef>
#include <cstdint>

namespace ventoria::sim {

inline constexpr std::uint32_t kStateMagic = 0x56'4D'41'43;  // "VMAC"
inline constexpr std::uint32_t kStateLayoutVersion = 6;
inline constexpr std::size_t kMaxKeys = 1024;
inline constexpr std::size_t kMaxFans = 8;
inline constexpr std::size_t kKeyDataSize = 32;

enum class Profile : std::uint32_t { appleSilicon, intel, t2, fanless, noSMC };
enum class ClockMode : std::uint32_t { real, manual };

// What the Mac runs on: its charger (or a desktop's mains) or its battery.
enum class PowerSupply : std::uint32_t { charger, battery };

enum class FaultKind : std::uint8_t { none, missing, result, kernel };

// What the machine itself puts into a key; plain keys only hold what was last stored.
enum class KeyRole : std::uint8_t {
    plain,
    keyCount,       // "#KEY": the number of keys
    fanActual,      // the fan's measured speed
    fanTarget,      // the fan's target; the machine writes it while the fan is not forced
    fanMode,        // the fan's mode switch: 1 forced, 0 automatic
    chipSensor,     // chip temperature plus the sensor's offset and noise
    chassisSensor,  // chassis temperature plus the sensor's offset and noise
};

struct Fault {
    FaultKind kind = FaultKind::none;
    std::uint8_t result = 0;
    std::int32_t kernel = 0;
    // A key that fails only sometimes: every Nth call of it fails, the others are served
    // (0 or 1: every call).
    std::uint32_t every = 0;
    std::uint32_t calls = 0;  // calls of the key since the fault was set
};

struct KeyRecord {
    std::uint32_t code = 0;  // four-character code, as the SMC keys its table
    std::uint32_t type = 0;  // four-character type code
    std::uint32_t size = 0;
    std::uint8_t bytes[kKeyDataSize] = {};
    KeyRole role = KeyRole::plain;
    std::uint8_t fan = 0;  // the fan a fan key belongs to
    bool writable = false;
    Fault fault;
    float sensorOffset = 0;  // °C added to the body temperature a sensor measures
    std::uint64_t writes = 0;
};

struct FanState {
    double min = 0;
    double max = 0;
    double actual = 0;
    double machineTarget = 0;  // what the machine's own controller asks for
};

enum class Command : std::uint8_t {
    readBytes = 5,
    writeBytes = 6,
    keyAtIndex = 8,
    readKeyInfo = 9
};

struct CallCounters {
    std::uint64_t readKeyInfo = 0;
    std::uint64_t readBytes = 0;
    std::uint64_t writeBytes = 0;
    std::uint64_t keyAtIndex = 0;
};

// A fault on "keyAtIndex" for one index, the enumeration's only failure mode.
struct IndexFault {
    std::int32_t index = -1;
    Fault fault;
};

// The Linux kernel driver the machine's SMC is also seen through (the virtual driver's files
// under the system root's /sys), or none.
enum class KernelDriver : std::uint32_t { none, applesmc, applesmcT2, macsmc };

struct DriverState {
    KernelDriver kind = KernelDriver::none;
    bool loaded = false;
    bool fanControl = false;       // macsmc_hwmon's module parameter
    std::uint32_t generation = 0;  // counts the loads: the hwmon number moves with it
};

struct Display {
    std::uint32_t notchWidth = 0;  // points; 0 when the first screen has no camera housing
    std::uint32_t notchHeight = 0;
};

struct MachineState {
    std::uint32_t magic = 0;
    std::uint32_t layoutVersion = 0;
    std::uint64_t layoutSize = 0;

    Profile profile = Profile::appleSilicon;
    ClockMode clockMode = ClockMode::real;
    std::uint64_t seed = 1;
    // Counts the machines booted in this file: a connection opened to one machine does not
    // reach the next, as an IOKit connection does not outlive its service.
    std::uint64_t boots = 0;
    std::int64_t clockOffsetNanos = 0;  // real clock: machine time = CLOCK_MONOTONIC - offset
    std::int64_t manualNanos = 0;       // manual clock: machine time
    std::int64_t physicsNanos = 0;      // machine time up to which the physics has run

    double loadPercent = 0;
    bool loadWave = false;               // the load follows a fixed day-in-the-life pattern
    std::int32_t pressureOverride = -1;  // -1: the machine decides
    std::int32_t pressure = 0;
    double hotSeconds = 0;  // how long the chip has been running hot, for thermal pressure
    double ambient = 24;
    double chip = 0;
    double chassis = 0;

    std::uint32_t fanCount = 0;
    FanState fans[kMaxFans];

    std::uint32_t latencyMicros = 0;
    bool detached = false;  // the AppleSMC service has gone away: every call fails
    CallCounters calls;
    IndexFault indexFault;
    Display display;
    PowerSupply power = PowerSupply::charger;
    DriverState driver;

    std::uint32_t keyCount = 0;
    KeyRecord keys[kMaxKeys];  // sorted by code, so lookups are a binary search
};

}  // namespace ventoria::sim
