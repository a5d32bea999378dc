// The Settings window's controls from the command line, stored where the application reads
// them: a running application takes the change up as it does an edit of its presets.

#include <cctype>
#include <iostream>
#include <nlohmann/json.hpp>

#include "commands.h"
#include "session.h"
#include "ventoria/app/login_item.h"
#include "ventoria/app/settings.h"
#include "ventoria/app/user_defaults.h"

namespace ventoria::ctl {
namespace {

struct SettingsEdits {
    std::optional<std::string> unit;
    std::optional<bool> menuBarTemperature;
    std::array<std::optional<bool>, app::kAllAlertKinds.size()> notifies;
    std::array<std::optional<std::string>, app::kAllPowerSources.size()> powerPresets;
    std::optional<bool> launchAtLogin;
};

std::string onOff(bool on) {
    return on ? "on" : "off";
}

// "stuck-fan" as a JSON key: "stuckFan", in the documents' one key style.
std::string camelCase(std::string_view words) {
    std::string key;
    bool upper = false;
    for (char c : words) {
        if (c == '-') {
            upper = true;
            continue;
        }
        key.push_back(upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c);
        upper = false;
    }
    return key;
}

std::string presetText(std::optional<app::Preset> preset) {
    return preset ? std::string(app::rawValue(*preset)) : "none";
}

int editSettings(const SettingsEdits& edits, bool json) {
    Session session;  // launch at login looks for the application beside this program
    auto preferences = app::userPreferences();
    if (const auto& problem = preferences->readProblem()) {
        std::cerr << problem->toStdString() << "\n";
    }
    app::Settings settings(*preferences);
    bool stored = true;
    if (edits.unit)
        stored &= settings.setTemperatureUnit(*app::temperatureUnitFromRaw(*edits.unit));
    if (edits.menuBarTemperature) {
        stored &= settings.setMenuBarTemperature(*edits.menuBarTemperature);
    }
    for (auto kind : app::kAllAlertKinds) {
        if (auto on = edits.notifies[static_cast<std::size_t>(kind)]) {
            stored &= settings.setNotifies(kind, *on);
        }
    }
    for (auto source : app::kAllPowerSources) {
        if (auto raw = edits.powerPresets[static_cast<std::size_t>(source)]) {
            // "none": no preset
            stored &= settings.setPowerPreset(source, app::presetFromRaw(*raw));
        }
    }
    if (!stored) {
        std::cerr << preferences->writeProblem().value_or(QString()).toStdString() << "\n";
        return 1;
    }
    if (edits.launchAtLogin) {
        if (auto refused = app::setLaunchAtLogin(*edits.launchAtLogin)) {
            std::cerr << "Launch at login: " << *refused << "\n";
            return 1;
        }
    }

    nlohmann::json notifications;
    for (auto kind : app::kAllAlertKinds) {
        notifications[camelCase(app::rawValue(kind))] = settings.notifies(kind);
    }
    nlohmann::json power;
    for (auto source : app::kAllPowerSources) {
        auto preset = settings.powerPreset(source);
        power[std::string(app::rawValue(source))] =
            preset ? nlohmann::json(std::string(app::rawValue(*preset))) : nlohmann::json(nullptr);
    }
    if (json) {
        std::cout << nlohmann::json{{"temperatureUnit",
                                     std::string(app::rawValue(settings.temperatureUnit()))},
                                    {"menuBarTemperature", settings.menuBarTemperature()},
                                    {"notifications", notifications},
                                    {"powerPresets", power},
                                    {"launchAtLogin", app::launchesAtLogin()}}
                         .dump()
                  << "\n";
        return 0;
    }
    std::cout << "Temperatures in " << app::rawValue(settings.temperatureUnit()) << "\n"
              << "Menu-bar temperature " << onOff(settings.menuBarTemperature()) << "\n"
              << "Launch at login " << onOff(app::launchesAtLogin()) << "\n";
    for (auto kind : app::kAllAlertKinds) {
        std::cout << "Notify " << app::rawValue(kind) << " " << onOff(settings.notifies(kind))
                  << "\n";
    }
    for (auto source : app::kAllPowerSources) {
        std::cout << "On " << app::rawValue(source) << ": "
                  << presetText(settings.powerPreset(source)) << "\n";
    }
    return 0;
}

}  // namespace

void addSettingsCommands(CLI::App& app, Runner& chosen) {
    auto edits = std::make_shared<SettingsEdits>();
    auto json = std::make_shared<bool>(false);
    auto* settings = app.add_subcommand(
        "settings", "Show the Settings window's choices, changing those given first");
    const std::map<std::string, bool> onOffMap{{"on", true}, {"off", false}};
    auto onOffOption = [&](const std::string& name, std::optional<bool>& target,
                           const std::string& help) {
        settings->add_option(name, target, help + ": on or off")
            ->transform(CLI::CheckedTransformer(onOffMap));
    };
    settings->add_option("--temperature-unit", edits->unit, "celsius or fahrenheit")
        ->check(CLI::IsMember({"celsius", "fahrenheit"}));
    onOffOption("--menu-bar-temperature", edits->menuBarTemperature,
                "the chip temperature beside the menu-bar icon");
    onOffOption("--launch-at-login", edits->launchAtLogin, "open Ventoria at login");
    for (auto kind : app::kAllAlertKinds) {
        onOffOption("--notify-" + std::string(app::rawValue(kind)),
                    edits->notifies[static_cast<std::size_t>(kind)],
                    "notify on " + std::string(app::rawValue(kind)));
    }
    for (auto source : app::kAllPowerSources) {
        settings
            ->add_option("--" + std::string(app::rawValue(source)) + "-preset",
                         edits->powerPresets[static_cast<std::size_t>(source)],
                         "the preset chosen on " + std::string(app::rawValue(source)) +
                             ": none, auto, smart, balanced or max")
            ->check(CLI::IsMember({"none", "auto", "smart", "balanced", "max"}));
    }
    settings->add_flag("--json", *json, "print one JSON document");
    settings->callback(
        [&chosen, edits, json] { chosen = [edits, json] { return editSettings(*edits, *json); }; });
}

}  // namespace ventoria::ctl
