#include <unistd.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <iostream>
#include <thread>

#include "commands.h"
#include "readings_text.h"
#include "text_unit.h"
#include "ventoria/app/model_text.h"
#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/read_ports.h"
#include "ventoria/hardware/smc_codec.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::ctl {
namespace {

using hardware::SMCError;
using hardware::SMCReader;

volatile std::sig_atomic_t interrupted = 0;

// Every reading command fails the same way: the SMC error's own words, and status 1.
Runner reportingSMCErrors(std::function<int()> command) {
    return [command = std::move(command)] {
        try {
            return command();
        } catch (const SMCError& error) {
            std::cerr << error.description() << "\n";
            return 1;
        }
    };
}

int listKeys() {
    SMCReader smc;
    for (const auto& key : smc.allKeys()) std::cout << key << "\n";
    return 0;
}

int readKey(const std::string& key, bool json) {
    SMCReader smc;
    auto read = smc.read(hardware::fourChars(key));
    double value = hardware::decode(read.bytes, read.info.type);
    if (json) {
        std::cout << nlohmann::json{{"key", hardware::fourChars(key)},
                                    {"type", read.info.type},
                                    {"size", read.info.size},
                                    {"bytes", hex(read.bytes)},
                                    {"value", value}}
                         .dump()
                  << "\n";
    } else {
        std::cout << hardware::fourChars(key) << "  [" << read.info.type << "] size "
                  << read.info.size << "  " << hex(read.bytes) << "  " << value << "\n";
    }
    return 0;
}

int showFans(bool json) {
    hardware::FanReader fans(hardware::openReadPorts().fans);
    auto readings = fans.readings();
    if (json) {
        std::cout << fansJson(readings).dump() << "\n";
    } else if (readings.empty()) {
        std::cout << app::kNoFansText << "\n";
    } else {
        for (const auto& fan : readings) std::cout << fanLine(fan) << "\n";
    }
    return 0;
}

int showTemperatures(bool json) {
    hardware::Thermals thermals(hardware::openReadPorts().temperatures);
    auto reading = thermals.sample();
    if (json) {
        std::cout << temperaturesJson(reading).dump() << "\n";
    } else {
        auto unit = textUnit();
        std::cout << "Chip " << app::temperatureText(reading.chip, unit, 1).toStdString()
                  << ", case " << app::temperatureText(reading.chassis, unit, 1).toStdString()
                  << "\n";
    }
    return 0;
}

// Live readings, refreshed in place on a terminal and appended otherwise.
int watch(double interval, int count) {
    auto ports = hardware::openReadPorts();
    hardware::FanReader fans(ports.fans);
    hardware::Thermals thermals(ports.temperatures);
    std::signal(SIGINT, [](int) { interrupted = 1; });
    bool terminal = isatty(STDOUT_FILENO);
    auto unit = textUnit();
    auto next = std::chrono::steady_clock::now();
    for (int shown = 0; !interrupted;) {
        auto readings = fans.readings();
        auto temperatures = thermals.sample();
        std::time_t now = std::time(nullptr);
        char clock[16];
        std::strftime(clock, sizeof clock, "%H:%M:%S", std::localtime(&now));
        if (terminal) std::cout << "\033[H\033[J";
        std::cout << "Ventoria · live readings · " << clock << "   (Ctrl-C to stop)\n"
                  << "Chip " << app::temperatureText(temperatures.chip, unit, 1).toStdString()
                  << "   Case " << app::temperatureText(temperatures.chassis, unit, 1).toStdString()
                  << "\n";
        for (const auto& fan : readings) std::cout << fanLine(fan) << "\n";
        if (readings.empty()) std::cout << app::kNoFansText << "\n";
        std::cout << std::flush;
        if (count > 0 && ++shown >= count) break;
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(interval));
        while (!interrupted && std::chrono::steady_clock::now() < next) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    return 0;
}

}  // namespace

void addHardwareCommands(CLI::App& app, Runner& chosen) {
    auto* smc = app.add_subcommand("smc", "Read the SMC directly");
    smc->require_subcommand(1);
    smc->add_subcommand("keys", "Every key name, one per line")->callback([&chosen] {
        chosen = reportingSMCErrors(listKeys);
    });
    auto* read = smc->add_subcommand("read", "One key's type, size, bytes and value");
    auto key = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    read->add_option("KEY", *key)->required();
    read->add_flag("--json", *json, "print one JSON document");
    read->callback([&chosen, key, json] {
        chosen = reportingSMCErrors([key, json] { return readKey(*key, *json); });
    });

    auto* fans = app.add_subcommand("fans", "Each fan's speeds and mode");
    fans->add_flag("--json", *json, "print one JSON document");
    fans->callback(
        [&chosen, json] { chosen = reportingSMCErrors([json] { return showFans(*json); }); });

    auto* temps = app.add_subcommand("temps", "Chip and case temperatures");
    temps->add_flag("--json", *json, "print one JSON document");
    temps->callback([&chosen, json] {
        chosen = reportingSMCErrors([json] { return showTemperatures(*json); });
    });

    auto interval = std::make_shared<double>(1.0);
    auto count = std::make_shared<int>(0);
    auto* live = app.add_subcommand("watch", "Live fan and temperature readings");
    live->add_option("--interval", *interval, "seconds between readings")
        ->check(finiteRange(0.1, 60.0));
    live->add_option("--count", *count, "stop after this many readings (0: until Ctrl-C)")
        ->check(command_line::wholeRange(0, 1000000));
    live->callback([&chosen, interval, count] {
        chosen = reportingSMCErrors([interval, count] { return watch(*interval, *count); });
    });
}

}  // namespace ventoria::ctl
