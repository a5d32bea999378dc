// ventoria-sim: creates, drives and inspects the virtual Mac under the system root.

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>

#include "kernel_driver_process.h"
#include "show.h"
#include "ventoria/command_line/checks.h"
#include "ventoria/command_line/parse.h"
#include "ventoria/hardware/smc_codec.h"
#include "ventoria/platform/system_root.h"
#include "ventoria/sim/value_codec.h"
#include "ventoria/sim/virtual_mac.h"

namespace {

using ventoria::hardware::fourChars;
using ventoria::sim::SimError;
using ventoria::sim::VirtualMac;

std::vector<std::uint8_t> parseHex(std::string text) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.erase(0, 2);
    std::string digits;
    for (char c : text) {
        if (c != ' ' && c != ':') digits.push_back(c);
    }
    if (digits.size() % 2 != 0) throw SimError("hex bytes come in pairs of digits: " + text);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        std::uint8_t byte = 0;
        auto [end, error] = std::from_chars(digits.data() + i, digits.data() + i + 2, byte, 16);
        if (error != std::errc{} || end != digits.data() + i + 2) {
            throw SimError("not hex: " + text);
        }
        bytes.push_back(byte);
    }
    return bytes;
}

long long parseInteger(const std::string& text) {
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty()) throw SimError("not a whole number: " + text);
    return value;
}

ventoria::sim::Fault parseFault(const std::vector<std::string>& words) {
    using ventoria::sim::FaultKind;
    const auto& kind = words.at(0);
    if (kind == "missing" && words.size() == 1) return {FaultKind::missing, 0, 0};
    if (kind == "clear" && words.size() == 1) return {};
    if (kind == "result" && words.size() == 2) {
        auto code = parseInteger(words[1]);
        if (code < 1 || code > 255) throw SimError("an SMC result code is 1 to 255");
        return {FaultKind::result, static_cast<std::uint8_t>(code), 0};
    }
    if (kind == "kernel" && words.size() == 2) {
        auto code = parseInteger(words[1]);
        if (code == 0 || code < std::numeric_limits<std::int32_t>::min() ||
            code > std::numeric_limits<std::uint32_t>::max()) {
            throw SimError("a kernel return code is a nonzero 32-bit number");
        }
        return {FaultKind::kernel, 0, static_cast<std::int32_t>(static_cast<std::uint32_t>(code))};
    }
    throw SimError("a fault is: missing | result CODE | kernel CODE | clear");
}

// A number a key of `type` can hold as it is: the machine would otherwise store a clamped or
// wrapped value that nobody asked for.
void checkRepresentable(const std::string& key, const std::string& type, double value) {
    if (!std::isfinite(value)) {
        throw SimError("a value is a finite number; set-raw stores any bytes");
    }
    auto bytes = ventoria::sim::encodeValue(type, value, 0);
    auto back = bytes ? ventoria::sim::decodeValue(type, *bytes) : std::nullopt;
    double slack = type == "flt " ? std::abs(value) * 1e-6 : 0.5;
    if (back && std::abs(*back - value) > slack) {
        throw SimError("key \"" + key + "\" has type \"" + type + "\", which cannot hold " +
                       CLI::detail::to_string(value));
    }
}

ventoria::sim::Display parseDisplay(const std::string& text) {
    if (text == "none") return {};
    auto by = text.find('x');
    if (by == std::string::npos) throw SimError("a notch is WIDTHxHEIGHT in points, or none");
    auto width = parseInteger(text.substr(0, by));
    auto height = parseInteger(text.substr(by + 1));
    if (width < 1 || height < 1 || width > 2000 || height > 200) {
        throw SimError("a notch is WIDTHxHEIGHT in points, or none");
    }
    return {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
}

double parseLoad(const std::string& text) {
    std::size_t used = 0;
    double percent = -1;
    try {
        percent = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size()) throw SimError("a load is a percentage or wave");
    return percent;
}

// The machine under the system root, opened by the first command that needs it.
VirtualMac& machine() {
    static auto mac = VirtualMac::open(ventoria::platform::systemRoot());
    return *mac;
}

void addCreate(CLI::App& app) {
    struct Choice {
        std::string profile;
        std::string clock = "real";
        std::uint64_t seed = 1;
        std::string driver = "none";
    };
    auto choice = std::make_shared<Choice>();
    auto* create = app.add_subcommand("new", "Create or reset the virtual Mac");
    create
        ->add_option("--profile", choice->profile,
                     "apple-silicon (the default), intel, t2, fanless or no-smc")
        ->check(CLI::IsMember({"apple-silicon", "intel", "t2", "fanless", "no-smc"}));
    create
        ->add_option("--driver", choice->driver,
                     "the Linux kernel driver it also shows its SMC through, on /sys: "
                     "applesmc (an Intel Mac), applesmc-t2 (a T2 Mac), macsmc (Apple silicon) "
                     "or none")
        ->check(CLI::IsMember({"none", "applesmc", "applesmc-t2", "macsmc"}));
    create->add_option("--clock", choice->clock, "real or manual")
        ->check(CLI::IsMember({"real", "manual"}));
    create->add_option("--seed", choice->seed, "seed of the sensor noise")
        ->check(ventoria::command_line::wholeRange(0, std::numeric_limits<long long>::max()));
    create->callback([choice] {
        ventoria::sim::CreateOptions options;
        options.driver = *ventoria::sim::driverFromName(choice->driver);
        auto profile = ventoria::sim::driverProfile(options.driver);
        if (!choice->profile.empty()) {
            auto chosen = *ventoria::sim::profileFromName(choice->profile);
            if (options.driver != ventoria::sim::KernelDriver::none && chosen != profile) {
                throw SimError("the " + choice->driver + " driver runs on the " +
                               ventoria::sim::profileName(profile) + " profile");
            }
            profile = chosen;
        }
        options.profile = profile;
        options.clock = choice->clock == "manual" ? ventoria::sim::ClockMode::manual
                                                  : ventoria::sim::ClockMode::real;
        options.seed = choice->seed;
        auto root = ventoria::platform::systemRoot();
        ventoria::sim::stopKernelDriver(root);
        VirtualMac::create(root, options);
        if (options.driver != ventoria::sim::KernelDriver::none) {
            ventoria::sim::startKernelDriver(root);
        }
    });
}

void addShow(CLI::App& app) {
    auto json = std::make_shared<bool>(false);
    auto* show = app.add_subcommand("show", "Show the machine's fans, temperatures and counters");
    show->add_flag("--json", *json, "print one JSON document");
    show->callback([json] {
        auto shot = machine().snapshot();
        if (*json) {
            std::cout << ventoria::sim::snapshotJson(shot).dump() << "\n";
        } else {
            std::cout << ventoria::sim::snapshotText(shot);
        }
    });
}

void addWorkload(CLI::App& app) {
    auto load = std::make_shared<std::string>();
    auto* loadCommand = app.add_subcommand("load", "Set the workload: a percentage, or wave");
    loadCommand->add_option("PERCENT", *load)->required();
    loadCommand->callback([load] {
        if (*load == "wave") {
            machine().setLoadWave();
        } else {
            machine().setLoad(parseLoad(*load));
        }
    });

    auto pressure = std::make_shared<std::string>();
    auto* pressureCommand =
        app.add_subcommand("pressure", "Pin the thermal pressure level, or auto");
    pressureCommand->add_option("LEVEL", *pressure)->required();
    pressureCommand->callback([pressure] {
        if (*pressure == "auto") {
            machine().setPressure(std::nullopt);
        } else {
            auto level = parseInteger(*pressure);
            // Out of an int's range it would wrap onto a level nobody asked for.
            if (level < 0 || level > 4) throw SimError("a pressure level is 0 to 4, or auto");
            machine().setPressure(static_cast<int>(level));
        }
    });

    auto seconds = std::make_shared<double>(0);
    auto* advance = app.add_subcommand("advance", "Move the manual clock forward");
    advance->add_option("SECONDS", *seconds, "at most a year")
        ->required()
        ->check(ventoria::command_line::finiteRange(
            0, std::chrono::duration<double>(ventoria::sim::kLongestAdvance).count()));
    advance->callback([seconds] {
        machine().advance(std::chrono::nanoseconds(static_cast<std::int64_t>(*seconds * 1e9)));
    });
}

void addKeys(CLI::App& app) {
    struct Key {
        std::string name;
        double value = 0;
        std::string type;
        std::string hex;
        std::vector<std::string> fault;
        std::uint32_t every = 1;
    };
    auto key = std::make_shared<Key>();
    auto* set = app.add_subcommand("set", "Store a number in a key, in the key's own type");
    set->add_option("KEY", key->name)->required();
    set->add_option("VALUE", key->value)->required();
    set->callback([key] {
        const auto& name = key->name;
        auto dumped = machine().dump(fourChars(name));
        if (dumped) checkRepresentable(name, dumped->type, key->value);
        bool speed = name.size() >= 4 && name[0] == 'F' &&
                     (name.ends_with("Ac") || name.ends_with("Tg") || name.ends_with("Mn") ||
                      name.ends_with("Mx"));
        if (speed && key->value < 0) throw SimError("a fan speed is 0 rpm or more");
        machine().setValue(fourChars(name), key->value);
    });

    auto* setRaw = app.add_subcommand("set-raw", "Create or replace a key with raw bytes");
    setRaw->add_option("KEY", key->name)->required();
    setRaw->add_option("TYPE", key->type)->required();
    setRaw->add_option("HEX", key->hex, "the key's bytes in hex; empty for a key of size 0");
    setRaw->callback([key] {
        if (key->name.empty() || key->name.find_first_not_of(' ') == std::string::npos) {
            throw SimError("a key has one to four characters, not only blanks");
        }
        machine().setRaw(fourChars(key->name), fourChars(key->type), parseHex(key->hex));
    });

    auto* fault = app.add_subcommand(
        "fault", "Make a key fail: missing | result CODE | kernel CODE | clear ('#N': index N)");
    fault->add_option("KEY", key->name)->required();
    fault->add_option("FAULT", key->fault)->required()->expected(1, 2);
    fault->add_option("--every", key->every, "fail only every Nth call of the key (default 1)")
        ->check(CLI::Range(1u, 1'000'000u));
    fault->callback([key] {
        const auto& name = key->name;
        auto failing = parseFault(key->fault);
        failing.every = key->every;
        machine().setFault(name.starts_with("#") ? name : fourChars(name), failing);
    });
}

void addService(CLI::App& app) {
    auto latency = std::make_shared<std::string>();
    auto* latencyCommand = app.add_subcommand("latency", "Delay every SMC call");
    latencyCommand->add_option("MICROSECONDS", *latency, "0 to 10000000")->required();
    latencyCommand->callback([latency] {
        auto micros = parseInteger(*latency);
        if (micros < 0 || micros > ventoria::sim::kLongestLatencyMicros) {
            throw SimError("a latency is 0 to 10000000 microseconds");
        }
        machine().setLatency(static_cast<std::uint32_t>(micros));
    });

    auto* service = app.add_subcommand("smc", "Take the AppleSMC service away, or bring it back");
    service->add_subcommand("detach", "Every SMC call fails, and no new connection finds it")
        ->callback([] { machine().setDetached(true); });
    service->add_subcommand("attach", "The service answers again")->callback([] {
        machine().setDetached(false);
    });
    service->require_subcommand(1);

    auto* counters = app.add_subcommand("counters", "Reset the call and write counters");
    counters->add_subcommand("reset", "Set every counter to 0")->callback([] {
        machine().resetCounters();
    });
    counters->require_subcommand(1);

    auto notch = std::make_shared<std::string>();
    auto* display = app.add_subcommand("display", "Attach or remove the notch display");
    auto* notchCommand =
        display->add_subcommand("notch", "The first screen's camera housing: WIDTHxHEIGHT or none");
    notchCommand->add_option("SIZE", *notch)->required();
    notchCommand->callback([notch] { machine().setDisplay(parseDisplay(*notch)); });
    display->require_subcommand(1);

    auto* power = app.add_subcommand("power", "Run on the battery or on the charger");
    power->add_subcommand("battery", "Unplugged")->callback([] {
        machine().setPowerSupply(ventoria::sim::PowerSupply::battery);
    });
    power->add_subcommand("charger", "On the charger (also: ac)")->alias("ac")->callback([] {
        machine().setPowerSupply(ventoria::sim::PowerSupply::charger);
    });
    power->require_subcommand(1);
}

void addKernelDriver(CLI::App& app) {
    auto* driver = app.add_subcommand("driver", "Drive the machine's Linux kernel driver");
    driver->add_subcommand("unload", "Unload it: its files go, open ones answer ENODEV")
        ->callback([] { machine().setDriverLoaded(false); });
    driver->add_subcommand("reload", "Load it again, under the next hwmon number")->callback([] {
        machine().setDriverLoaded(true);
    });
    auto enabled = std::make_shared<std::string>();
    auto* fanControl =
        driver->add_subcommand("fan-control", "macsmc's module parameter fan_control: on or off");
    fanControl->add_option("STATE", *enabled)->required()->check(CLI::IsMember({"on", "off"}));
    fanControl->callback([enabled] { machine().setFanControl(*enabled == "on"); });
    driver->add_subcommand("stop", "Stop the driver's process and take its /sys away")
        ->callback([] { ventoria::sim::stopKernelDriver(ventoria::platform::systemRoot()); });
    driver->require_subcommand(1);

    app.add_subcommand("resume", "Wake from sleep: the machine forgets every forced fan mode")
        ->callback([] { machine().resume(); });
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Create, drive and inspect the virtual Mac that Ventoria's tests and Linux runs use.\n"
        "The machine lives under $VENTORIA_SYSROOT (or the per-user default)."};
    app.require_subcommand(1);
    addCreate(app);
    addShow(app);
    addWorkload(app);
    addKeys(app);
    addService(app);
    addKernelDriver(app);
    ventoria::command_line::addVersionFlag(app, "ventoria-sim");
    try {
        // runs the chosen command
        if (auto status = ventoria::command_line::parse(app, argc, argv)) return *status;
    } catch (const std::exception& error) {
        std::cerr << "ventoria-sim: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
