// ventoria-sim: creates, drives and inspects the virtual Mac under the system root.

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>

#include "show.h"
#include "ventoria/platform/system_root.h"
#include "ventoria/sim/value_codec.h"
#include "ventoria/sim/virtual_mac.h"

namespace {

using ventoria::sim::SimError;
using ventoria::sim::VirtualMac;

// Keys and types are four characters; "FS!" stands for "FS! ".
std::string fourChars(std::string text) {
    if (text.size() < 4) text.resize(4, ' ');
    return text;
}

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

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Create, drive and inspect the virtual Mac that Ventoria runs on under Linux.\n"
        "The machine lives under $VENTORIA_SYSROOT (or the per-user default)."};
    app.require_subcommand(1);

    std::string profile = "apple-silicon";
    std::string clock = "real";
    std::uint64_t seed = 1;
    auto* create = app.add_subcommand("new", "Create or reset the virtual Mac");
    create->add_option("--profile", profile, "apple-silicon, intel, fanless or no-smc")
        ->check(CLI::IsMember({"apple-silicon", "intel", "fanless", "no-smc"}));
    create->add_option("--clock", clock, "real or manual")
        ->check(CLI::IsMember({"real", "manual"}));
    create->add_option("--seed", seed, "seed of the sensor noise");

    bool json = false;
    auto* show = app.add_subcommand("show", "Show the machine's fans, temperatures and counters");
    show->add_flag("--json", json, "print one JSON document");

    std::string load;
    auto* loadCommand = app.add_subcommand("load", "Set the workload: a percentage, or wave");
    loadCommand->add_option("PERCENT", load)->required();

    std::string pressure;
    auto* pressureCommand =
        app.add_subcommand("pressure", "Pin the thermal pressure level, or auto");
    pressureCommand->add_option("LEVEL", pressure)->required();

    double seconds = 0;
    auto* advance = app.add_subcommand("advance", "Move the manual clock forward");
    advance->add_option("SECONDS", seconds)->required()->check(CLI::NonNegativeNumber);

    std::string key;
    double value = 0;
    auto* set = app.add_subcommand("set", "Store a number in a key, in the key's own type");
    set->add_option("KEY", key)->required();
    set->add_option("VALUE", value)->required();

    std::string type;
    std::string hex;
    auto* setRaw = app.add_subcommand("set-raw", "Create or replace a key with raw bytes");
    setRaw->add_option("KEY", key)->required();
    setRaw->add_option("TYPE", type)->required();
    setRaw->add_option("HEX", hex, "the key's bytes in hex; empty for a key of size 0");

    std::vector<std::string> fault;
    auto* faultCommand = app.add_subcommand(
        "fault", "Make a key fail: missing | result CODE | kernel CODE | clear ('#N': index N)");
    faultCommand->add_option("KEY", key)->required();
    faultCommand->add_option("FAULT", fault)->required()->expected(1, 2);

    std::string latency;
    auto* latencyCommand = app.add_subcommand("latency", "Delay every SMC call");
    latencyCommand->add_option("MICROSECONDS", latency, "0 to 10000000")->required();

    auto* service = app.add_subcommand("smc", "Take the AppleSMC service away, or bring it back");
    service->add_subcommand("detach", "Every SMC call fails, and no new connection finds it");
    service->add_subcommand("attach", "The service answers again");
    service->require_subcommand(1);

    auto* counters = app.add_subcommand("counters", "Reset the call and write counters");
    counters->add_subcommand("reset", "Set every counter to 0")->required();
    counters->require_subcommand(1);

    std::string notch;
    auto* display = app.add_subcommand("display", "Attach or remove the notch display");
    display->add_subcommand("notch", "The first screen's camera housing: WIDTHxHEIGHT or none")
        ->add_option("SIZE", notch)
        ->required();
    display->require_subcommand(1);

    CLI11_PARSE(app, argc, argv);

    try {
        auto root = ventoria::platform::systemRoot();
        if (create->parsed()) {
            ventoria::sim::CreateOptions options;
            options.profile = *ventoria::sim::profileFromName(profile);
            options.clock = clock == "manual" ? ventoria::sim::ClockMode::manual
                                              : ventoria::sim::ClockMode::real;
            options.seed = seed;
            VirtualMac::create(root, options);
            return 0;
        }
        auto mac = VirtualMac::open(root);
        if (show->parsed()) {
            auto shot = mac->snapshot();
            if (json) {
                std::cout << ventoria::sim::snapshotJson(shot).dump() << "\n";
            } else {
                std::cout << ventoria::sim::snapshotText(shot);
            }
        } else if (loadCommand->parsed()) {
            if (load == "wave") {
                mac->setLoadWave();
            } else {
                std::size_t used = 0;
                double percent = -1;
                try {
                    percent = std::stod(load, &used);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (used != load.size()) throw SimError("a load is a percentage or wave");
                mac->setLoad(percent);
            }
        } else if (pressureCommand->parsed()) {
            if (pressure == "auto") {
                mac->setPressure(std::nullopt);
            } else {
                mac->setPressure(static_cast<int>(parseInteger(pressure)));
            }
        } else if (advance->parsed()) {
            if (!std::isfinite(seconds) ||
                seconds > std::chrono::duration<double>(ventoria::sim::kLongestAdvance).count()) {
                throw SimError("the clock moves at most a year (31536000 s) at a time");
            }
            mac->advance(std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9)));
        } else if (set->parsed()) {
            auto dumped = mac->dump(fourChars(key));
            if (dumped) checkRepresentable(key, dumped->type, value);
            bool speed = key.size() >= 4 && key[0] == 'F' &&
                         (key.ends_with("Ac") || key.ends_with("Tg") || key.ends_with("Mn") ||
                          key.ends_with("Mx"));
            if (speed && value < 0) throw SimError("a fan speed is 0 rpm or more");
            mac->setValue(fourChars(key), value);
        } else if (setRaw->parsed()) {
            if (key.empty() || key.find_first_not_of(' ') == std::string::npos) {
                throw SimError("a key has one to four characters, not only blanks");
            }
            mac->setRaw(fourChars(key), fourChars(type), parseHex(hex));
        } else if (faultCommand->parsed()) {
            mac->setFault(key.starts_with("#") ? key : fourChars(key), parseFault(fault));
        } else if (latencyCommand->parsed()) {
            auto micros = parseInteger(latency);
            if (micros < 0 || micros > ventoria::sim::kLongestLatencyMicros) {
                throw SimError("a latency is 0 to 10000000 microseconds");
            }
            mac->setLatency(static_cast<std::uint32_t>(micros));
        } else if (service->parsed()) {
            mac->setDetached(service->got_subcommand("detach"));
        } else if (counters->parsed()) {
            mac->resetCounters();
        } else if (display->parsed()) {
            mac->setDisplay(parseDisplay(notch));
        }
    } catch (const std::exception& error) {
        std::cerr << "ventoria-sim: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
