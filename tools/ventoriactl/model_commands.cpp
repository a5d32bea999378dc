// The fan model's front end, headless: the same model and settings the application uses.

#include <QCoreApplication>
#include <QCoroTask>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "commands.h"
#include "readings_text.h"
#include "session.h"
#include "text_unit.h"
#include "ventoria/app/fan_model.h"
#include "ventoria/app/helper_client.h"
#include "ventoria/app/signal_watcher.h"
#include "ventoria/hardware/read_ports.h"

namespace ventoria::ctl {
namespace {

using app::FanModel;
using app::Preset;

// Longest wait for the helper to answer our hand-back.
constexpr std::chrono::seconds kHandBackBound{5};
// How long the fans may take to show it: a hand-back is three of the helper's ticks, and one
// more is slack. Fans still forced after that are another client's choice, in force again
// now that ours is gone, and not ours to wait for.
constexpr std::chrono::milliseconds kReleaseBound{3000};
// A held choice is polled at the helper's own pace, so that whether the fans follow it is
// known within a couple of its ticks.
constexpr std::chrono::milliseconds kSelectPoll{750};
// How many polls past the first check a choice may take to show in the fans before the
// command says they do not follow it.
constexpr int kLateTickPolls = 4;

// What the fans do against the preset. While this command holds a choice, the model's own
// finding, which allows a fan the time it needs to get up to speed; for one look, what the
// fans show against the stored preset.
enum class Look { holding, once };
std::optional<QString> fanProblem(const FanModel& model, Look look) {
    if (model.fanProblem() || look == Look::holding) return model.fanProblem();
    return app::offTargetNow(model.fans(), model.preset(), model.custom());
}

nlohmann::json modelJson(const FanModel& model) {
    nlohmann::json status = nullptr;
    if (model.smartStatus()) status = nlohmann::json::parse(*smart::encode(*model.smartStatus()));
    nlohmann::json error = nullptr;
    if (model.errorMessage()) error = model.errorMessage()->toStdString();
    nlohmann::json problem = nullptr;
    if (auto found = fanProblem(model, Look::once)) problem = found->toStdString();
    return {
        {"preset", std::string(app::rawValue(model.preset()))},
        {"displayMode", std::string(app::rawValue(model.placement().preferredMode()))},
        {"custom", {{"balanced", model.custom().balanced}, {"max", model.custom().max}}},
        {"smart",
         {{"minimum", model.smart().minimum},
          {"aggressiveness", std::string(smart::rawValue(model.smart().aggressiveness))}}},
        {"fans", fansJson(model.fans())},
        {"temperatures", temperaturesJson(model.temps())},
        {"level", fractionJson(model.level())},
        {"levelText", model.levelText().toStdString()},
        // In Celsius like every temperature here, whatever the user's unit.
        {"subtitle", model.subtitle(model.preset(), app::TemperatureUnit::celsius).toStdString()},
        {"smartStatus", status},
        {"errorMessage", error},
        {"fanProblem", problem},
        {"helperInstalled", app::helperInstalled()}};
}

// "Max · Fixed 100 %", "Smart · 62 % · CPU 81 °C": the active tile's two lines as one; an
// error in full, where the tile has room only for its summary.
std::string presetLine(const FanModel& model) {
    std::string name(app::displayName(model.preset()));
    auto subtitle =
        model.errorMessage().value_or(model.subtitle(model.preset(), textUnit())).toStdString();
    return subtitle.starts_with(name) ? subtitle : name + " · " + subtitle;
}

std::string statusLine(const FanModel& model, Look look) {
    std::string line = presetLine(model) + "  |  " + model.levelText().toStdString();
    for (const auto& fan : model.fans()) {
        line +=
            "  |  Fan " + std::to_string(fan.id + 1) + " " + app::rpmText(fan.actual).toStdString();
    }
    auto unit = textUnit();
    line += "  |  chip " + app::temperatureText(model.temps().chip, unit).toStdString() +
            ", case " + app::temperatureText(model.temps().chassis, unit).toStdString();
    auto problem = fanProblem(model, look);
    if (problem && problem != model.errorMessage()) line += "  |  " + problem->toStdString();
    return line;
}

// Waits until the model's newest choice has reached the helper (or failed).
void awaitApplied(Session& session, FanModel& model) {
    if (!model.applying()) return;
    auto connection = QObject::connect(&model, &FanModel::applied, [] { Session::stop(); });
    session.run();
    QObject::disconnect(connection);
}

// Hands the fans back like the application's quit, then watches (read-only) until the helper
// has released them, so that the command ends with the machine in charge again (or with the
// choice of another client, which is then in force again).
void handBack(Session& session, FanModel& model) {
    [](FanModel& m) -> QCoro::Task<> {
        co_await m.handBackWithin(kHandBackBound);
        Session::stop();
    }(model);
    session.run();
    // Read the fans directly: the model's own poll would start Smart status requests that
    // nobody waits for any more.
    std::optional<hardware::FanReader> fans;
    try {
        fans.emplace(hardware::openReadPorts().fans);
    } catch (const hardware::SMCError&) {
        return;
    }
    auto forced = [&fans] {
        auto readings = fans->readings();
        return std::any_of(readings.begin(), readings.end(),
                           [](const auto& fan) { return fan.manual; });
    };
    // Plain polling, not the event loop: nothing queued there can cut this wait short.
    auto deadline = std::chrono::steady_clock::now() + kReleaseBound;
    while (forced() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

int showStatus(bool json) {
    Session session;
    auto model = app::makeFanModel(app::FanModel::Options::headless());
    if (model->preset() == Preset::smart && !model->errorMessage()) {
        // The first poll's status request is on its way.
        QObject::connect(model.get(), &FanModel::polled, [] { Session::stop(); });
        QTimer::singleShot(std::chrono::seconds(5), [] { Session::stop(); });
        session.run();
    }
    if (json) {
        std::cout << modelJson(*model).dump() << "\n";
    } else {
        std::cout << statusLine(*model, Look::once) << "\n";
    }
    return 0;
}

// Waits until the model has compared the fans with the preset, a few polls after it was
// applied, and found them following; Smart, which forces and hands back as it sees fit, is
// not checked. The first check comes a tick or two after the helper took the choice: a helper
// that a busy machine kept from its tick is given a few more polls before the fans' word
// stands, so that only fans that do not follow fail the command, not a late tick.
void awaitChecked(Session& session, FanModel& model, Preset preset) {
    if (preset == Preset::smart) return;
    auto connection = QObject::connect(&model, &FanModel::checked, [&model] {
        if (!model.fanProblem()) Session::stop();
    });
    // A timer of this wait's own: a single shot left pending would end the hold after it.
    QTimer patience;
    patience.setSingleShot(true);
    QObject::connect(&patience, &QTimer::timeout, [] { Session::stop(); });
    patience.start(kSelectPoll * (app::FollowCheck::kPollsBeforeCheck + kLateTickPolls));
    session.run();
    QObject::disconnect(connection);
}

int select(Preset preset, double hold, bool watch, bool save) {
    Session session;
    auto model = app::makeFanModel({.reapplyAtStart = true,
                                    .pollInterval = kSelectPoll,
                                    .persistChoice = save,
                                    .followPowerSource = false});
    model->select(preset);
    awaitApplied(session, *model);
    if (!session.interrupted() && !model->errorMessage()) awaitChecked(session, *model, preset);
    if (session.interrupted()) {
        handBack(session, *model);
        return 130;
    }
    if (model->errorMessage()) {
        std::cout << model->errorMessage()->toStdString() << "\n";
        if (model->fanProblem() || model->unsaved()) handBack(session, *model);
        return 1;
    }
    bool terminal = isatty(STDOUT_FILENO);
    auto print = [&] {
        if (!terminal) {
            std::cout << statusLine(*model, Look::holding) << std::endl;
            return;
        }
        std::cout << "\033[H\033[J"
                  << "Ventoria · " << presetLine(*model)
                  << "\n(Ctrl-C hands the fans back and quits)\n\nFans "
                  << model->levelText().toStdString() << "\n";
        for (const auto& fan : model->fans()) std::cout << fanLine(fan) << "\n";
        auto unit = textUnit();
        std::cout << "Chip " << app::temperatureText(model->temps().chip, unit).toStdString()
                  << "   Case " << app::temperatureText(model->temps().chassis, unit).toStdString()
                  << std::endl;
    };
    print();
    auto printing = QObject::connect(model.get(), &FanModel::polled, print);
    // A timer of the hold's own: ended early by Ctrl-C, it must not fire into the hand-back.
    QTimer holding;
    holding.setSingleShot(true);
    QObject::connect(&holding, &QTimer::timeout, [] { Session::stop(); });
    if (!watch) {
        holding.start(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::duration<double>(hold)));
    }
    session.run();
    holding.stop();
    QObject::disconnect(printing);
    // A fan that did not follow the choice while it was held is said once more at the end,
    // where a script looks.
    auto problem = model->fanProblem();
    handBack(session, *model);
    if (problem && !session.interrupted()) {
        std::cout << problem->toStdString() << "\n";
        return 1;
    }
    return 0;
}

struct PresetEdits {
    std::optional<int> balanced;
    std::optional<int> max;
    std::optional<std::int64_t> minimum;
    std::optional<std::string> aggressiveness;
};

int editPresets(const PresetEdits& edits) {
    Session session;
    auto model = app::makeFanModel(app::FanModel::Options::headless());
    auto custom = model->custom();
    auto settings = model->smart();
    if (edits.balanced) custom.balanced = *edits.balanced;
    if (edits.max) custom.max = *edits.max;
    if (edits.minimum) settings.minimum = *edits.minimum;
    if (edits.aggressiveness) {
        settings.aggressiveness = *smart::aggressivenessFromRaw(*edits.aggressiveness);
    }
    bool stored = model->savePresets(custom, settings);
    std::optional<QString> storageError;
    if (!stored) storageError = model->errorMessage();
    awaitApplied(session, *model);
    if (model->applying() || app::helperInstalled()) handBack(session, *model);
    if (storageError) {
        std::cout << storageError->toStdString() << "\n";
        return 1;
    }
    std::cout << "Balanced " << model->custom().balanced << " %, Max " << model->custom().max
              << " %, Smart minimum " << model->smart().minimum << " %, "
              << smart::rawValue(model->smart().aggressiveness) << "\n";
    if (model->errorMessage()) {
        std::cout << model->errorMessage()->toStdString() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

void addModelCommands(CLI::App& cli, Runner& chosen) {
    auto json = std::make_shared<bool>(false);
    auto* status = cli.add_subcommand("status", "What the application shows: preset, fans, texts");
    status->add_flag("--json", *json, "print one JSON document");
    status->callback([&chosen, json] { chosen = [json] { return showStatus(*json); }; });

    auto preset = std::make_shared<std::string>();
    auto hold = std::make_shared<double>(-1);
    auto watch = std::make_shared<bool>(false);
    auto save = std::make_shared<bool>(false);
    auto* select = cli.add_subcommand(
        "select", "Choose a preset as the application would, hold it, then hand the fans back");
    select->add_option("PRESET", *preset, "auto, smart, balanced or max")
        ->required()
        ->check(CLI::IsMember({"auto", "smart", "balanced", "max"}));
    auto* holdOption = select->add_option("--hold", *hold, "seconds to hold the choice")
                           ->check(finiteRange(0, kLongestSeconds));
    select->add_flag("--watch", *watch, "hold until Ctrl-C (the default)")->excludes(holdOption);
    select->add_flag("--save", *save,
                     "also store the choice as the application's preset (by default it lasts "
                     "only while the command runs)");
    select->callback([&chosen, preset, hold, watch, save] {
        chosen = [preset, hold, watch, save] {
            return ventoria::ctl::select(*app::presetFromRaw(*preset), *hold, *hold < 0 || *watch,
                                         *save);
        };
    });

    auto edits = std::make_shared<PresetEdits>();
    auto* presets = cli.add_subcommand("presets", "Change the presets as the editor's Save would");
    // What the editor's sliders can set, and nothing else: a value between their steps would
    // show there as a knob that cannot be put back where it was.
    presets->add_option("--balanced", edits->balanced, "Balanced percentage")
        ->check(command_line::steppedRange(20, 100, 5));
    presets->add_option("--max", edits->max, "Max percentage")
        ->check(command_line::steppedRange(20, 100, 5));
    presets->add_option("--minimum", edits->minimum, "Smart minimum percentage")
        ->check(command_line::steppedRange(0, 100, 5));
    presets->add_option("--aggressiveness", edits->aggressiveness, "gentle, normal or aggressive")
        ->check(CLI::IsMember({"gentle", "normal", "aggressive"}));
    presets->callback([&chosen, edits] { chosen = [edits] { return editPresets(*edits); }; });
}

}  // namespace ventoria::ctl
