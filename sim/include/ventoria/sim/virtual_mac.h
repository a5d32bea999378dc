#pragma once
// The virtual Mac: an AppleSMC kernel service, its fans, a thermal model and a display,
// kept in one state file under the system root and shared by every process that maps it.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ventoria/sim/machine_state.h"

namespace ventoria::sim {

// A control request the virtual Mac refuses (an unknown key, a value its type cannot hold).
class SimError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The state file no longer holds the machine this process mapped: it shrank, or its header or
// counts are not what any machine has (another process truncated or overwrote it). To every
// process the machine is then gone, as an AppleSMC service that terminated is.
class MachineGone : public SimError {
  public:
    using SimError::SimError;
};

// SMC result codes the virtual service answers with; 0 is success.
inline constexpr std::uint8_t kResultKeyNotFound = 0x84;
inline constexpr std::uint8_t kResultNotWritable = 0x86;
inline constexpr std::uint8_t kResultSizeMismatch = 0x87;
inline constexpr std::uint8_t kResultBadCommand = 0x89;
inline constexpr std::uint8_t kResultIndexRange = 0xB8;

// Kernel return codes of the user-client call.
inline constexpr std::int32_t kKernelBadArgument = static_cast<std::int32_t>(0xE00002C2);
inline constexpr std::int32_t kKernelUnsupported = static_cast<std::int32_t>(0xE00002C7);
inline constexpr std::int32_t kKernelNotOpen = static_cast<std::int32_t>(0xE00002CD);
inline constexpr std::int32_t kKernelNoDevice = static_cast<std::int32_t>(0xE00002C0);

inline constexpr std::uint32_t kStructSelector = 2;
inline constexpr std::size_t kParamSize = 80;

// Limits of the controls: beyond them nothing a test or a person means, only overflow.
inline constexpr std::chrono::nanoseconds kLongestAdvance = std::chrono::hours(24 * 365);
inline constexpr std::uint32_t kLongestLatencyMicros = 10'000'000;

struct CreateOptions {
    Profile profile = Profile::appleSilicon;
    ClockMode clock = ClockMode::real;
    std::uint64_t seed = 1;
    KernelDriver driver = KernelDriver::none;
};

struct FanView {
    int id = 0;
    double actual = 0;
    double target = 0;  // what the fan is driven toward now, forced or not
    double min = 0;
    double max = 0;
    bool forced = false;
};

struct Snapshot {
    Profile profile = Profile::appleSilicon;
    ClockMode clock = ClockMode::real;
    double seconds = 0;  // machine time
    std::vector<FanView> fans;
    std::optional<double> ftst;
    std::optional<double> chip;     // hottest real chip sensor, as a sensor would read it now
    std::optional<double> chassis;  // hottest real chassis sensor
    int pressure = 0;
    double load = 0;  // percent, as applied now
    bool loadWave = false;
    std::uint32_t latencyMicros = 0;
    bool detached = false;
    CallCounters calls;
    std::map<std::string, std::uint64_t> writes;  // keys written at least once
    std::size_t keyCount = 0;
    Display display;
    PowerSupply power = PowerSupply::charger;
    DriverState driver;
};

struct KeyDump {
    std::string name;
    std::string type;
    std::uint32_t size = 0;
    std::vector<std::uint8_t> bytes;
};

std::string profileName(Profile profile);
std::optional<Profile> profileFromName(std::string_view name);
// "applesmc", "applesmc-t2", "macsmc"; "none" for none
std::string driverName(KernelDriver driver);
std::optional<KernelDriver> driverFromName(std::string_view name);
// The machine each driver is found on: an Intel Mac, a T2 Mac, an Apple-silicon Mac.
Profile driverProfile(KernelDriver driver);

class VirtualMac {
  public:
    static std::filesystem::path statePath(const std::filesystem::path& systemRoot);

    // Maps the machine under `systemRoot`; creates the default machine when there is none yet,
    // so that a program run on a fresh system root finds a Mac to talk to.
    static std::shared_ptr<VirtualMac> open(const std::filesystem::path& systemRoot);
    // Maps the machine under `systemRoot` if a sound one is there; never creates one.
    static std::shared_ptr<VirtualMac> attach(const std::filesystem::path& systemRoot);
    // Creates the machine afresh. An existing state file is reset in place, so processes that
    // already map it see the new machine at once.
    static std::shared_ptr<VirtualMac> create(const std::filesystem::path& systemRoot,
                                              const CreateOptions& options);

    VirtualMac(const VirtualMac&) = delete;
    VirtualMac& operator=(const VirtualMac&) = delete;
    ~VirtualMac();

    // False once the state file has changed under this mapping: every other call then throws
    // MachineGone, and the SMC fails as one that has gone away.
    bool intact();
    bool hasSMCService();
    // Which machine the file holds now; a connection to an earlier one has lost its service.
    // Read without the lock, on every call.
    std::uint64_t boot();

    // The AppleSMC user client's struct method: validates the call, decodes the 80-byte record
    // it is given and answers with one. Returns a kernel return code (0 for success).
    std::int32_t call(std::uint32_t selector, const void* input, std::size_t inputSize,
                      void* output, std::size_t* outputSize);
    std::uint32_t latencyMicros();

    std::chrono::nanoseconds now();
    ClockMode clockMode();
    int pressureLevel();
    Display display();
    PowerSupply powerSupply();

    void setLoad(double percent);
    void setLoadWave();
    void setPressure(std::optional<int> level);  // nothing: the machine decides again
    void advance(std::chrono::nanoseconds by);   // manual clock only
    void setValue(const std::string& key, double value);
    void setRaw(const std::string& key, const std::string& type,
                const std::vector<std::uint8_t>& bytes);
    void setFault(const std::string& key, Fault fault);  // "#N" faults keyAtIndex N
    void setLatency(std::uint32_t micros);
    // Takes the AppleSMC service away (nobody finds it, every call on an open connection fails
    // with "no device") or brings it back, as a kernel service that terminates and returns.
    void setDetached(bool detached);
    void resetCounters();
    void setDisplay(Display display);
    void setPowerSupply(PowerSupply power);
    DriverState kernelDriver();
    // Unloads the kernel driver or loads it again; a load is a new generation.
    void setDriverLoaded(bool loaded);
    void setFanControl(bool enabled);
    // The machine wakes from sleep and, as several models do, forgets every forced mode.
    void resume();

    Snapshot snapshot();
    std::optional<KeyDump> dump(const std::string& key);

  private:
    class Locked;
    VirtualMac(int fd, MachineState* state);

    int fd_;
    MachineState* state_;
    std::mutex threads_;  // with the file lock, which does not tell this object's threads apart
};

}  // namespace ventoria::sim
