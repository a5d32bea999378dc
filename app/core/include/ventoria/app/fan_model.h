#pragma once
// The application's one observable model. Every view reads it and calls its operations; it
// polls the fans and temperatures itself (read-only) every 2 seconds, keeps the user's choices
// in the user defaults, and sends each choice to the helper.

#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

#include "ventoria/app/alert_policy.h"
#include "ventoria/app/choice_sender.h"
#include "ventoria/app/display_placement.h"
#include "ventoria/app/error_line.h"
#include "ventoria/app/follow_check.h"
#include "ventoria/app/hardware_poller.h"
#include "ventoria/app/history.h"
#include "ventoria/app/machine_details.h"
#include "ventoria/app/model_error.h"
#include "ventoria/app/model_text.h"
#include "ventoria/app/model_types.h"
#include "ventoria/app/power_watch.h"
#include "ventoria/app/preset_store.h"
#include "ventoria/app/settings.h"

class QTimer;

namespace ventoria::app {
class HelperClient;
class UserPreferences;
}  // namespace ventoria::app

namespace ventoria::app {

class FanModel : public QObject {
    Q_OBJECT
    // The active preset.
    Q_PROPERTY(ventoria::app::Preset preset READ preset NOTIFY presetChanged)
    // The fixed presets' percentages.
    Q_PROPERTY(ventoria::app::CustomPercentages custom READ custom NOTIFY customChanged)
    // The settings sent with the Smart preset.
    Q_PROPERTY(ventoria::smart::SmartSettings smart READ smart NOTIFY smartChanged)
    // The latest fan readings.
    Q_PROPERTY(ventoria::app::FanReadings fans READ fans NOTIFY fansChanged)
    // The latest temperatures.
    Q_PROPERTY(ventoria::hardware::ThermalReading temps READ temps NOTIFY tempsChanged)
    // The helper's Smart status while the Smart preset is active.
    Q_PROPERTY(std::optional<ventoria::smart::SmartStatus> smartStatus READ smartStatus NOTIFY
                   smartStatusChanged)
    // What went wrong last: a failed helper request, fans that do not follow, settings that
    // could not be stored. errorMessage() is its detail, errorSummary() its short form.
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)

  public:
    struct Options {
        // Send a stored non-automatic preset again at start (the application does; a look
        // from the command line does not).
        bool reapplyAtStart = true;
        std::chrono::milliseconds pollInterval{2000};
        // Store each choice in the user defaults (the application does; a command line that
        // only holds a choice for its own lifetime does not).
        bool persistChoice = true;
        // Choose the preset set for the new power source when it changes (the application
        // does; a command line holding a choice does not).
        bool followPowerSource = true;

        // A look from the command line: the stored choice is shown, not sent again.
        static Options headless() { return {.reapplyAtStart = false, .followPowerSource = false}; }
    };

    // What the model is made of, each with one job: the user's stored choices, the way of a
    // choice to the helper, the machine's readings, and what it runs on.
    struct Parts {
        std::unique_ptr<PresetStore> store;
        std::unique_ptr<ChoiceSender> sender;
        std::unique_ptr<HardwarePoller> hardware;
        PowerWatch power;
    };

    FanModel(Parts parts, Options options, QObject* parent = nullptr);
    ~FanModel() override;

    Preset preset() const { return preset_; }
    const CustomPercentages& custom() const { return custom_; }
    const smart::SmartSettings& smart() const { return smart_; }
    const FanReadings& fans() const { return fans_; }
    const hardware::ThermalReading& temps() const { return temps_; }
    const std::optional<smart::SmartStatus>& smartStatus() const { return smartStatus_; }
    const std::optional<ModelError>& error() const { return errors_.shown(); }
    std::optional<QString> errorMessage() const { return ErrorLine::detailOf(error()); }
    std::optional<QString> errorSummary() const {
        return error() ? std::optional(error()->summary) : std::nullopt;
    }
    // Where the interface lives; opening a window from the notch closes it.
    DisplayPlacement& placement() { return placement_; }
    const DisplayPlacement& placement() const { return placement_; }
    // The settings beyond the presets; settingsChanged() when any of them changes.
    Settings& settings() { return *settings_; }
    const Settings& settings() const { return *settings_; }
    TemperatureUnit unit() const { return settings_->temperatureUnit(); }
    // What the polls of the last half hour read, oldest first.
    const History& history() const { return history_; }
    // Every fan's target and every sensor, read with each poll only while the Details view
    // is shown: they cost an SMC call each.
    void setDetailsShown(bool shown);
    const MachineDetails& details() const { return details_; }
    // What the Mac runs on, as of the latest poll; nothing when the system cannot tell.
    std::optional<PowerSource> powerSource() const { return power_.source(); }

    // One poll of the hardware, and of the Smart status while Smart is active.
    void poll();
    // The machine woke: a poll at once, and the fans given the time of a fresh choice before
    // they are checked.
    void machineWoke();
    // Sends the active preset to the helper, superseding any choice still on its way.
    void applyPreset();
    // A preset tile: re-choosing the active preset retries a failed request.
    void select(Preset preset);
    // False, with the reason in the error line, when the settings could not be stored.
    bool savePresets(CustomPercentages custom, smart::SmartSettings smart);
    // Why the latest choice could not be stored; nothing once one was.
    std::optional<QString> unsaved() const { return ErrorLine::detailOf(errors_.unsaved()); }
    void editPresets();
    void openSettings();
    void openDetails();
    // At quit: no choice may still be sent, and the helper is told to hand the fans back,
    // never waiting longer than `bound` (see ChoiceSender::handBackWithin).
    QCoro::Task<void> handBackWithin(std::chrono::milliseconds bound);

    // A choice is still on its way to the helper.
    bool applying() const { return sender_->sending(); }
    // What the fans do against what the preset asks, from the latest check: the first fan the
    // helper does not hold as asked. Nothing when all is well or nothing was checked.
    std::optional<QString> fanProblem() const { return ErrorLine::detailOf(errors_.fanProblem()); }

    double level() const { return fanLevel(fans_); }
    long averageRPM() const { return app::averageRPM(fans_); }
    QString levelText() const { return app::levelText(fans_, preset_); }
    QString fanSummary() const { return app::fanSummary(fans_); }
    // In the user's unit, or in `unit` for a reader that asked for another.
    QString subtitle(Preset preset) const { return subtitle(preset, unit()); }
    QString subtitle(Preset preset, TemperatureUnit unit) const {
        return subtitleParts(preset, unit).joined();
    }
    // The subtitle as a view lays it out beside the preset's name.
    SubtitleParts subtitleParts(Preset preset) const { return subtitleParts(preset, unit()); }
    SubtitleParts subtitleParts(Preset preset, TemperatureUnit unit) const;
    std::optional<QString> smartDetail() const { return smartDetail(unit()); }
    std::optional<QString> smartDetail(TemperatureUnit unit) const {
        return app::smartDetail(smartStatus_, temps_, unit);
    }
    std::optional<smart::Phase> smartPhase() const {
        return app::smartPhase(preset_, smartStatus_);
    }
    TempTone tone(bool chipTile) const { return app::tone(chipTile, preset_, smartStatus_); }
    int bars(Preset preset) const { return app::bars(custom_[preset]); }

  signals:
    void presetChanged();
    void customChanged();
    void smartChanged();
    void fansChanged();
    void tempsChanged();
    void smartStatusChanged();
    void errorMessageChanged();
    void settingsChanged();
    void detailsChanged();
    void powerSourceChanged();
    // Something the user should hear of even with the interface closed; each kind at most
    // once per AlertPolicy::kQuietPeriod, and only kinds the settings allow.
    void alerted(ventoria::app::AlertKind kind, const QString& title, const QString& body);
    // A poll has finished, with its Smart status request if it made one.
    void polled();
    // The fans were compared with what the applied preset asks of them: problem() says what.
    void checked();
    // The newest choice has been sent (or given up on) and the model has polled afterwards.
    void applied();
    // The user asked for the preset editor, the Settings window or the Details window.
    void editPresetsRequested();
    void settingsRequested();
    void detailsRequested();

  private:
    void setPreset(Preset preset);
    void setSmartStatus(const std::optional<smart::SmartStatus>& status);
    void send(ChoiceSender::Kind kind);
    void answered(const ChoiceSender::Answer& answer);
    void helperLost();
    void retryLater();
    void checkFans();
    void updateDetails();
    void followPowerSource();
    void observeAlerts();
    void pollSmartStatus();
    void storedPresetsChanged();

    std::unique_ptr<PresetStore> store_;
    DisplayPlacement placement_;
    std::unique_ptr<ChoiceSender> sender_;
    std::unique_ptr<HardwarePoller> hardware_;
    PowerWatch power_;
    FollowCheck followCheck_;
    AlertPolicy alerts_;
    QTimer* pollTimer_;
    std::unique_ptr<Settings> settings_;
    History history_;
    bool detailsShown_ = false;
    MachineDetails details_;
    bool followPower_ = true;
    bool awaitingHelper_ = false;  // a preset waits for a helper that went away
    Preset preset_ = Preset::automatic;
    CustomPercentages custom_;
    smart::SmartSettings smart_;
    FanReadings fans_;
    hardware::ThermalReading temps_;
    std::optional<smart::SmartStatus> smartStatus_;
    ErrorLine errors_;
    bool persistChoice_ = true;
    bool quitting_ = false;
};

// The parts of a model on this machine: its own fans, sensors and power source, the event
// loop's timers, over `helper` and the user's choices in `preferences`.
FanModel::Parts machineParts(std::unique_ptr<HelperClient> helper,
                             std::unique_ptr<UserPreferences> preferences);

// The model as the application has it: the helper's real connection and installer, the
// user's defaults.
std::unique_ptr<FanModel> makeFanModel(FanModel::Options options);

}  // namespace ventoria::app
