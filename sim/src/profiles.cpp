#include "profiles.h"

#include <array>
#include <string>

#include "key_table.h"
#include "physics.h"
#include "ventoria/sim/value_codec.h"

namespace ventoria::sim {
namespace {

struct Sensor {
    const char* name;
    float offset;
};

// Apple-silicon chip sensors (CPU performance and efficiency clusters, GPU), each a little
// below or at the hottest spot of the die.
constexpr std::array kSiliconChipSensors = {
    Sensor{"Tp01", 0.0f},  Sensor{"Tp05", -0.6f}, Sensor{"Tp09", -1.1f}, Sensor{"Tp0D", -1.7f},
    Sensor{"Tp0H", -2.3f}, Sensor{"Tp0L", -0.4f}, Sensor{"Tp0P", -2.9f}, Sensor{"Tp0T", -3.5f},
    Sensor{"Tp0X", -1.4f}, Sensor{"Tp0b", -2.0f}, Sensor{"Te05", -4.5f}, Sensor{"Te0L", -5.1f},
    Sensor{"Te0P", -4.8f}, Sensor{"Te0S", -5.6f}, Sensor{"Tg05", -6.2f}, Sensor{"Tg0D", -5.9f},
    Sensor{"Tg0L", -6.8f}, Sensor{"Tg0T", -7.1f},
};
constexpr std::array kSiliconChassisSensors = {Sensor{"TaLP", 0.0f}, Sensor{"TaRF", -1.3f}};

constexpr std::array kIntelChipSensors = {
    Sensor{"TC0D", 0.0f},  Sensor{"TC0E", -0.5f}, Sensor{"TC0F", -0.3f},  Sensor{"TC0P", -6.0f},
    Sensor{"TCXC", -0.2f}, Sensor{"TG0D", -8.0f}, Sensor{"TG0P", -10.0f},
};
constexpr std::array kIntelChassisSensors = {Sensor{"TA0P", 0.0f}};

struct Reading {
    const char* name;
    double value;
};

// Temperatures that are neither chip nor chassis (battery, palm rest, wireless, storage).
constexpr std::array kOtherTemperatures = {
    Reading{"TB0T", 31.5}, Reading{"TB1T", 31.2}, Reading{"TB2T", 30.8}, Reading{"Ts0P", 29.4},
    Reading{"Ts1P", 29.0}, Reading{"TW0P", 36.1}, Reading{"TH0x", 33.7}, Reading{"TPD0", 35.2},
};

struct FanSpec {
    double min;
    double max;
};

KeyRecord key(std::string_view name, std::string_view type, std::uint32_t size) {
    KeyRecord record;
    record.code = codeOf(name);
    record.type = codeOf(type);
    record.size = size;
    return record;
}

void addValue(MachineState& state, std::string_view name, std::string_view type, double value,
              bool writable = false) {
    auto record = key(name, type, type == "flt " || type == "ui32" ? 4 : type == "ui8 " ? 1 : 2);
    if (type == "flag") record.size = 1;
    record.writable = writable;
    storeValue(record, value);
    putKey(state, record);
}

void addSensors(MachineState& state, std::span<const Sensor> sensors, KeyRole role,
                std::string_view type) {
    for (const auto& sensor : sensors) {
        auto record = key(sensor.name, type, type == "flt " ? 4 : 2);
        record.role = role;
        record.sensorOffset = sensor.offset;
        putKey(state, record);
    }
}

void addFans(MachineState& state, std::span<const FanSpec> fans, std::string_view type,
             bool modeKeys) {
    addValue(state, "FNum", "ui8 ", static_cast<double>(fans.size()));
    state.fanCount = static_cast<std::uint32_t>(fans.size());
    auto size = type == "flt " ? 4u : 2u;
    for (std::size_t i = 0; i < fans.size(); ++i) {
        auto& physics = state.fans[i];
        physics.min = fans[i].min;
        physics.max = fans[i].max;
        physics.actual = physics.machineTarget = fans[i].min;
        auto prefix = "F" + std::to_string(i);
        auto fan = static_cast<std::uint8_t>(i);

        auto actual = key(prefix + "Ac", type, size);
        actual.role = KeyRole::fanActual;
        actual.fan = fan;
        putKey(state, actual);
        addValue(state, prefix + "Mn", type, fans[i].min);
        addValue(state, prefix + "Mx", type, fans[i].max);
        auto target = key(prefix + "Tg", type, size);
        target.role = KeyRole::fanTarget;
        target.fan = fan;
        target.writable = true;
        storeValue(target, fans[i].min);
        putKey(state, target);
        if (modeKeys) {
            auto mode = key(prefix + "Md", "ui8 ", 1);
            mode.role = KeyRole::fanMode;
            mode.fan = fan;
            mode.writable = true;
            putKey(state, mode);
        }
    }
}

// The hundreds of keys a real SMC carries besides fans and temperatures (power, voltages,
// currents, battery, lid, lights), so that enumerating them costs what it costs on a Mac.
void addOtherKeys(MachineState& state, std::size_t howMany) {
    constexpr std::string_view kFirst = "ABCDEILMNPRSUVWZ";
    constexpr std::string_view kSecond = "0ABCDGHLMPRSTVW";
    constexpr std::array<std::string_view, 7> kTypes = {"ui8 ", "ui16", "ui32", "flag",
                                                        "flt ", "si16", "ch8*"};
    std::size_t added = 0;
    std::uint64_t mix = state.seed;
    for (char first : kFirst) {
        for (char second : kSecond) {
            for (char third : std::string_view("0123")) {
                if (added == howMany) return;
                const char suffix = "CTVPRS"[added % 6];
                std::string name{first, second, third, suffix};
                if (findKey(state, name)) continue;
                auto type = kTypes[added % kTypes.size()];
                std::uint32_t size = type == "ch8*"                     ? 8
                                     : type == "ui8 " || type == "flag" ? 1
                                     : type == "ui32" || type == "flt " ? 4
                                                                        : 2;
                auto record = key(name, type, size);
                for (std::uint32_t b = 0; b < size; ++b) {
                    mix = mix * 6364136223846793005ULL + 1442695040888963407ULL;
                    record.bytes[b] = static_cast<std::uint8_t>(mix >> 56);
                }
                if (type == "flt ") storeValue(record, static_cast<double>(mix >> 54) / 100.0);
                putKey(state, record);
                ++added;
            }
        }
    }
}

void addOtherTemperatures(MachineState& state, std::string_view type) {
    for (const auto& reading : kOtherTemperatures)
        addValue(state, reading.name, type, reading.value);
}

void buildAppleSilicon(MachineState& state) {
    constexpr std::array fans = {FanSpec{1200, 5700}, FanSpec{1200, 6200}};
    addFans(state, fans, "flt ", true);
    addValue(state, "Ftst", "ui8 ", 0, true);
    addSensors(state, kSiliconChipSensors, KeyRole::chipSensor, "flt ");
    addSensors(state, kSiliconChassisSensors, KeyRole::chassisSensor, "flt ");
    addValue(state, "Tp0Z", "flt ", 40.0);   // a sensor stuck at its reset value
    addValue(state, "Tp0j", "flt ", 150.0);  // a sensor that reads nonsense
    addOtherTemperatures(state, "flt ");
    addOtherKeys(state, 520);
    state.display = Display{200, 32};
}

void buildIntel(MachineState& state) {
    constexpr std::array fans = {FanSpec{2000, 6200}, FanSpec{2000, 5800}};
    addFans(state, fans, "fpe2", false);
    addValue(state, "FS! ", "ui16", 0, true);
    addSensors(state, kIntelChipSensors, KeyRole::chipSensor, "sp78");
    addSensors(state, kIntelChassisSensors, KeyRole::chassisSensor, "sp78");
    for (const char* core : {"TC1C", "TC2C", "TC3C", "TC4C"}) {
        addSensors(state, std::array{Sensor{core, -0.8f}}, KeyRole::chipSensor, "sp78");
    }
    addOtherTemperatures(state, "sp78");
    addOtherKeys(state, 330);
}

// A T2 Mac: an Intel chip's sensors, float fan keys with a mode key per fan, and no switch
// that must be on before a fan can be forced.
void buildT2(MachineState& state) {
    constexpr std::array fans = {FanSpec{1300, 5800}, FanSpec{1300, 6100}};
    addFans(state, fans, "flt ", true);
    addSensors(state, kIntelChipSensors, KeyRole::chipSensor, "sp78");
    addSensors(state, kIntelChassisSensors, KeyRole::chassisSensor, "sp78");
    addOtherTemperatures(state, "sp78");
    addOtherKeys(state, 480);
}

void buildFanless(MachineState& state) {
    addValue(state, "FNum", "ui8 ", 0);
    addSensors(state, kSiliconChipSensors, KeyRole::chipSensor, "flt ");
    addSensors(state, kSiliconChassisSensors, KeyRole::chassisSensor, "flt ");
    addOtherTemperatures(state, "flt ");
    addOtherKeys(state, 400);
}

}  // namespace

void buildMachine(MachineState& state, const CreateOptions& options) {
    state.profile = options.profile;
    state.clockMode = options.clock;
    state.seed = options.seed;
    state.manualNanos = 0;
    state.physicsNanos = 0;
    state.loadPercent = 5;
    state.loadWave = false;
    state.pressureOverride = -1;
    state.pressure = 0;
    state.hotSeconds = 0;
    state.ambient = 24;
    state.chip = 40;
    state.chassis = 30;
    state.fanCount = 0;
    for (auto& fan : state.fans) fan = FanState{};
    state.latencyMicros = 0;
    state.detached = false;
    state.calls = CallCounters{};
    state.indexFault = IndexFault{};
    state.display = Display{};
    state.driver = DriverState{options.driver, options.driver != KernelDriver::none, false, 1};
    state.keyCount = 0;
    for (auto& record : state.keys) record = KeyRecord{};

    if (options.profile == Profile::noSMC) return;
    auto count = key("#KEY", "ui32", 4);
    count.role = KeyRole::keyCount;
    putKey(state, count);
    switch (options.profile) {
        case Profile::appleSilicon:
            buildAppleSilicon(state);
            break;
        case Profile::intel:
            buildIntel(state);
            break;
        case Profile::t2:
            buildT2(state);
            break;
        case Profile::fanless:
            buildFanless(state);
            break;
        case Profile::noSMC:
            break;
    }
}

}  // namespace ventoria::sim
