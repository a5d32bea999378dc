// ventoriactl doctor: what this machine offers Ventoria, in one look, before anything is
// chosen: how the fans are reached, how many there are, whether they may be commanded (and
// why not), which sensors stand for the chip and the case, and whether the helper answers.

#include <QCoroTask>
#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>

#include "commands.h"
#include "session.h"
#include "ventoria/app/helper_client.h"
#include "ventoria/hardware/control_ports.h"
#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/read_ports.h"
#include "ventoria/hardware/smc_error.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::ctl {
namespace {

using nlohmann::json;

constexpr int kInterrupted = 130;

// Each sensor the temperature stands for, by name where it has one, with its key.
json sensorsJson(const std::vector<std::string>& keys,
                 const std::vector<hardware::TemperatureSensor>& all) {
    json listed = json::array();
    for (const auto& key : keys) {
        auto found = std::find_if(all.begin(), all.end(),
                                  [&key](const auto& sensor) { return sensor.key == key; });
        listed.push_back(
            {{"key", key}, {"name", found != all.end() ? found->name : std::string()}});
    }
    return listed;
}

json fansJson() {
    json found = {{"access", hardware::fanAccess()},
                  {"count", nullptr},
                  {"refusal", nullptr},
                  {"chip", json::array()},
                  {"case", json::array()}};
    try {
        auto ports = hardware::openReadPorts();
        auto count = ports.fans->fanCount();
        if (count) found["count"] = *count;
        hardware::Thermals thermals(ports.temperatures);
        auto sensors = ports.temperatures->sensors();
        found["chip"] = sensorsJson(thermals.chipKeys(), sensors);
        found["case"] = sensorsJson(thermals.chassisKeys(), sensors);
        if (!count) {
            found["refusal"] = ports.fans->unavailable();
        } else if (auto refusal = hardware::openControlPorts().fans->refusal()) {
            found["refusal"] = *refusal;
        }
    } catch (const hardware::SMCError& error) {
        found["refusal"] = error.description();
    }
    return found;
}

// Whether the helper answers, asked as the application asks it.
QCoro::Task<json> helperJson(app::HelperClient& client) {
    json helper = {
        {"installed", app::helperInstalled()}, {"version", nullptr}, {"problem", nullptr}};
    try {
        helper["version"] = (co_await client.version()).toStdString();
    } catch (const app::HelperError& error) {
        helper["problem"] = error.description().toStdString();
    }
    co_return helper;
}

std::string sensorsText(const json& sensors) {
    if (sensors.empty()) return "none";
    std::string text;
    for (const auto& sensor : sensors) {
        if (!text.empty()) text += ", ";
        auto name = sensor["name"].get<std::string>();
        text += name.empty() ? sensor["key"].get<std::string>()
                             : name + " (" + sensor["key"].get<std::string>() + ")";
    }
    return text;
}

void printWords(const json& report) {
    const auto& fans = report["fans"];
    std::cout << "Fans reached through: " << fans["access"].get<std::string>() << "\n";
    std::cout << "Fans: "
              << (fans["count"].is_null() ? std::string("unknown")
                                          : std::to_string(fans["count"].get<int>()))
              << "\n";
    std::cout << "Commands: "
              << (fans["refusal"].is_null() ? std::string("the fans can be commanded")
                                            : "refused: " + fans["refusal"].get<std::string>())
              << "\n";
    std::cout << "Chip temperature from: " << sensorsText(fans["chip"]) << "\n";
    std::cout << "Case temperature from: " << sensorsText(fans["case"]) << "\n";
    const auto& helper = report["helper"];
    std::cout << "Helper: " << (helper["installed"].get<bool>() ? "installed" : "not installed");
    if (helper["version"].is_string()) {
        std::cout << ", answering (protocol " << helper["version"].get<std::string>() << ")";
    } else if (helper["installed"].get<bool>()) {
        std::cout << ", not answering: " << helper["problem"].get<std::string>();
    }
    std::cout << "\n";
}

int doctor(bool asJson) {
    Session session;
    auto client =
        std::make_unique<app::HelperClient>(app::localSocketConnector(), app::platformInstaller());
    auto helper = session.finish(helperJson(*client));
    if (!helper) {
        client.reset();
        Session::settle();
        return kInterrupted;
    }
    json report = {{"fans", fansJson()}, {"helper", *helper}};
    if (asJson) {
        std::cout << report.dump() << "\n";
    } else {
        printWords(report);
    }
    return 0;
}

}  // namespace

void addDoctorCommand(CLI::App& app, Runner& chosen) {
    auto json = std::make_shared<bool>(false);
    auto* command =
        app.add_subcommand("doctor", "What this machine offers: fans, commands, sensors, helper");
    command->add_flag("--json", *json, "one JSON document");
    command->callback([&chosen, json] { chosen = [json] { return doctor(*json); }; });
}

}  // namespace ventoria::ctl
