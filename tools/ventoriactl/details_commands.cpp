// What the Details window shows: every fan and sensor, and the recent history.

#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <nlohmann/json.hpp>

#include "commands.h"
#include "readings_text.h"
#include "session.h"
#include "text_unit.h"
#include "ventoria/app/fan_model.h"
#include "ventoria/app/machine_details.h"
#include "ventoria/app/model_text.h"
#include "ventoria/hardware/read_ports.h"
#include "ventoria/hardware/smc_error.h"

namespace ventoria::ctl {
namespace {

nlohmann::json detailsJson(const app::MachineDetails& details) {
    auto fans = fansJson([&] {
        std::vector<hardware::FanReading> readings;
        for (const auto& fan : details.fans) readings.push_back(fan.reading);
        return readings;
    }());
    for (std::size_t i = 0; i < details.fans.size(); ++i) {
        fans[i]["targetRPM"] = rpmJson(details.fans[i].target);
    }
    auto sensors = nlohmann::json::array();
    for (const auto& sensor : details.sensors) {
        sensors.push_back(
            {{"key", sensor.key},
             {"name", sensor.name.empty() ? nlohmann::json(nullptr) : nlohmann::json(sensor.name)},
             {"group", std::string(hardware::rawValue(sensor.group))},
             {"temperature", celsiusJson(sensor.celsius)}});
    }
    return {{"fans", fans}, {"sensors", sensors}, {"unit", "celsius"}};
}

void printDetails(const app::MachineDetails& details) {
    auto unit = textUnit();
    std::cout << "Fans\n";
    if (details.fans.empty()) std::cout << "  " << app::kNoFansText << "\n";
    for (const auto& fan : details.fans) {
        const auto& reading = fan.reading;
        auto target = app::rpmText(fan.target);
        std::printf("  Fan %d  %10s  target %10s  (%s–%s)  %s\n", reading.id + 1,
                    app::rpmText(reading.actual).toUtf8().constData(), target.toUtf8().constData(),
                    app::rpmText(reading.min).toUtf8().constData(),
                    app::rpmText(reading.max).toUtf8().constData(),
                    app::modeText(reading).toUtf8().constData());
    }
    // SMC keys are four characters; a kernel driver's labels are words, and as wide as they are.
    int keyWidth = 4;
    for (const auto& sensor : details.sensors) {
        keyWidth = std::max(keyWidth, static_cast<int>(sensor.key.size()));
    }
    std::optional<hardware::SensorGroup> group;
    for (const auto& sensor : details.sensors) {
        if (sensor.group != group) {
            group = sensor.group;
            std::printf("%s\n", std::string(hardware::displayName(sensor.group)).c_str());
        }
        std::printf("  %-*s  %-24s %10s\n", keyWidth, sensor.key.c_str(), sensor.name.c_str(),
                    app::temperatureText(sensor.celsius, unit, 1).toUtf8().constData());
    }
    std::fflush(stdout);
}

int showSensors(bool json) {
    try {
        auto ports = hardware::openReadPorts();
        hardware::FanReader reader(ports.fans);
        hardware::SensorCatalog sensors(ports.temperatures);
        auto details = app::readDetails(reader.readings(), reader, sensors);
        if (json) {
            std::cout << detailsJson(details).dump() << "\n";
        } else {
            printDetails(details);
        }
        return 0;
    } catch (const hardware::SMCError& error) {
        std::cerr << error.description() << "\n";
        return 1;
    }
}

// The model's history is what its own polls read, so this records for `seconds` at the
// application's pace and then reports what it kept: the same ring the Details chart draws.
int showHistory(double seconds, double interval, bool json) {
    Session session;
    auto options = app::FanModel::Options::headless();
    options.pollInterval = std::chrono::milliseconds(static_cast<long>(interval * 1000));
    auto model = app::makeFanModel(options);
    // The recording ends with a poll, not in the middle of one: under Smart a poll ends when
    // the helper has answered its status request, which must not be left waiting at exit.
    bool over = false;
    QObject::connect(model.get(), &app::FanModel::polled, [&over] {
        if (over) Session::stop();
    });
    QTimer recording;
    recording.setSingleShot(true);
    QObject::connect(&recording, &QTimer::timeout, [&over] { over = true; });
    recording.start(std::chrono::milliseconds(static_cast<long>(seconds * 1000)));
    session.run();
    auto samples = model->history().samples();
    if (json) {
        auto list = nlohmann::json::array();
        for (const auto& sample : samples) {
            auto millis =
                std::chrono::duration_cast<std::chrono::milliseconds>(sample.at.time_since_epoch());
            list.push_back({{"time", static_cast<double>(millis.count()) / 1000},
                            {"chip", celsiusJson(sample.chip)},
                            {"case", celsiusJson(sample.chassis)},
                            {"level", fractionJson(sample.level)}});
        }
        std::cout << nlohmann::json{{"samples", list},
                                    {"capacity", model->history().capacity()},
                                    {"unit", "celsius"}}
                         .dump()
                  << "\n";
        return 0;
    }
    auto unit = textUnit();
    for (const auto& sample : samples) {
        std::time_t at = std::chrono::system_clock::to_time_t(sample.at);
        char clock[16];
        std::strftime(clock, sizeof clock, "%H:%M:%S", std::localtime(&at));
        std::printf("%s  chip %8s  case %8s  fans %3s %%\n", clock,
                    app::temperatureText(sample.chip, unit).toUtf8().constData(),
                    app::temperatureText(sample.chassis, unit).toUtf8().constData(),
                    app::wholeText(sample.level * 100).toUtf8().constData());
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

void addDetailsCommands(CLI::App& app, Runner& chosen) {
    auto json = std::make_shared<bool>(false);
    auto* sensors =
        app.add_subcommand("sensors", "Every fan with its target, every temperature sensor");
    sensors->add_flag("--json", *json, "print one JSON document");
    sensors->callback([&chosen, json] { chosen = [json] { return showSensors(*json); }; });

    auto seconds = std::make_shared<double>(10);
    auto interval = std::make_shared<double>(2);
    auto* history = app.add_subcommand(
        "history", "Record the chip and case temperatures and the fan level, then print them");
    history->add_option("--seconds", *seconds, "how long to record (default 10)")
        ->check(finiteRange(0.1, 1800));
    history
        ->add_option("--interval", *interval,
                     "seconds between polls (default 2, as the "
                     "application)")
        ->check(finiteRange(0.1, 60));
    history->add_flag("--json", *json, "print one JSON document");
    history->callback([&chosen, seconds, interval, json] {
        chosen = [seconds, interval, json] { return showHistory(*seconds, *interval, *json); };
    });
}

}  // namespace ventoria::ctl
