#include "ventoria/app/fan_model.h"

#include <QCoroTask>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <variant>

#include "ventoria/app/alert_policy.h"
#include "ventoria/app/completion.h"
#include "ventoria/app/helper_client.h"
#include "ventoria/app/preference_keys.h"
#include "ventoria/app/user_defaults.h"
#include "ventoria/hardware/fan_reader.h"
#include "ventoria/hardware/read_ports.h"
#include "ventoria/hardware/thermals.h"
#include "ventoria/platform/power_supply.h"

namespace ventoria::app {

struct FanModel::Machinery {
    Machinery(std::unique_ptr<HelperClient> client, std::unique_ptr<UserPreferences> stored)
        : helper(std::move(client)), preferences(std::move(stored)) {}

    std::unique_ptr<HelperClient> helper;
    std::unique_ptr<UserPreferences> preferences;
    std::shared_ptr<hardware::TemperaturePort> temperatures;
    std::optional<hardware::FanReader> reader;
    std::optional<hardware::Thermals> thermals;
    std::optional<hardware::SensorCatalog> sensors;  // built when Details first opens
    AlertPolicy alerts;
    QTimer pollTimer;
    QTimer retryTimer;
    QFileSystemWatcher defaultsWatcher;
};
namespace {

// A stored percentage as the editor allows it: a whole number from 0 to 100. Anything else
// was not written by us, and the default stands.
int storedPercentage(const QVariant& value, int fallback) {
    bool ok = false;
    auto number = value.toString().toLongLong(&ok);
    return ok && number >= 0 && number <= 100 ? static_cast<int>(number) : fallback;
}

// The polls, at least one, that take `span` at `interval` apiece, rounded up.
int pollsFor(std::chrono::milliseconds span, std::chrono::milliseconds interval) {
    auto each = std::max<std::int64_t>(interval.count(), 1);
    return static_cast<int>(std::max<std::int64_t>(1, (span.count() + each - 1) / each));
}

}  // namespace

// The apply task: ensureInstalled, the request, the outcome. It holds the model weakly only
// so that a test may end a model while a request is still out. A user's choice that fails
// falls back to automatic with the reason; a recovery after the helper went away keeps the
// choice, says why it is not in force, and tries again later.
QCoro::Task<> runApply(QPointer<FanModel> model, Preset preset, double fraction,
                       std::shared_ptr<CancelToken> token, FanModel::ApplyKind kind) {
    const bool recovery = kind == FanModel::ApplyKind::recovery;
    try {
        if (preset == Preset::automatic) {
            if (helperInstalled()) co_await model->m_->helper->setAuto();
        } else {
            co_await model->m_->helper->ensureInstalled(token, !recovery);
            if (!model) co_return;
            token->throwIfCancelled();
            if (preset == Preset::smart) {
                co_await model->m_->helper->setSmart(model->smart_);
            } else {
                co_await model->m_->helper->setFraction(fraction);
            }
        }
        if (!model) co_return;
        // A choice that could not be stored stays said, however well it was carried out.
        model->setError(model->unsaved_);
        model->awaitingHelper_ = false;
        model->retryDelay_ = FanModel::kRetryFirst;
        // Smart forces and hands back as it sees fit; the others say what the fans must do.
        model->pollsToCheck_ = preset != Preset::smart ? FanModel::kPollsBeforeCheck : -1;
    } catch (const Cancelled&) {
        // A newer choice is on its way.
    } catch (const std::exception& error) {
        if (!model) co_return;
        // Only our own errors carry a text meant for the user.
        auto* helperError = dynamic_cast<const HelperError*>(&error);
        auto failure = helperError ? errors::of(*helperError) : errors::unreadableAnswer();
        if (recovery) {
            model->setError(errors::retrying(failure));
            model->retryLater();
        } else {
            model->setError(failure);
            if (preset != Preset::automatic) model->setPreset(Preset::automatic);
        }
    }
    if (!model) co_return;
    model->poll();
    if (token->cancelled()) co_return;  // superseded: the newer task reports
    model->applying_ = false;
    emit model->applied();
}

QCoro::Task<> pollSmartStatus(QPointer<FanModel> model) {
    std::optional<smart::SmartStatus> status;
    try {
        status = co_await model->m_->helper->smartStatus();
    } catch (const std::exception&) {
        status.reset();  // no message: the tile simply shows no detail
    }
    if (!model) co_return;
    if (model->preset_ == Preset::smart) model->setSmartStatus(status);
    model->observeAlerts();
    emit model->polled();
}

FanModel::FanModel(std::unique_ptr<HelperClient> helper,
                   std::unique_ptr<UserPreferences> preferences, Options options, QObject* parent)
    : QObject(parent),
      m_(std::make_unique<Machinery>(std::move(helper), std::move(preferences))),
      history_(History::capacityFor(options.pollInterval)),
      followPower_(options.followPowerSource),
      persistChoice_(options.persistChoice),
      slewPolls_(pollsFor(kSlewAllowance, options.pollInterval)) {
    m_->helper->connectionLost = [this] { helperLost(); };
    m_->retryTimer.setSingleShot(true);
    connect(&m_->retryTimer, &QTimer::timeout, this, [this] {
        if (preset_ != Preset::automatic && !quitting_ && !applying_) {
            startApply(ApplyKind::recovery);
        }
    });
    auto& stored = *m_->preferences;
    preferredMode_ = stored.value(keys::kMode).toString() == QStringLiteral("notch")
                         ? DisplayMode::notch
                         : DisplayMode::menu;
    preset_ = presetFromRaw(stored.value(keys::kPreset).toString().toStdString())
                  .value_or(Preset::automatic);
    custom_ = storedCustom();
    smart_ = storedSmart();
    settings_ = std::make_unique<Settings>(stored);
    connect(settings_.get(), &Settings::changed, this, &FanModel::settingsChanged);
    connect(&stored, &UserPreferences::writeFailed, this, [this](const QString& problem) {
        unsaved_ = errors::unsaved(problem);
        setError(unsaved_);
    });
    connect(&stored, &UserPreferences::written, this, [this] {
        if (error_ == std::exchange(unsaved_, std::nullopt)) setError(std::nullopt);
    });
    if (const auto& problem = stored.readProblem()) {
        setError(errors::unreadablePreferences(*problem));  // said once: the next word replaces it
    }
    watchDefaults();

    try {
        auto ports = hardware::openReadPorts();
        m_->temperatures = ports.temperatures;
        m_->reader.emplace(ports.fans);
        m_->thermals.emplace(ports.temperatures);
    } catch (const hardware::SMCError&) {
        // No SMC: no fans and no temperatures to show.
    }
    poll();
    m_->pollTimer.setInterval(options.pollInterval);
    connect(&m_->pollTimer, &QTimer::timeout, this, &FanModel::poll);
    m_->pollTimer.start();

    if (options.reapplyAtStart && preset_ != Preset::automatic) {
        if (helperInstalled()) {
            applyPreset();
        } else {
            setPreset(Preset::automatic);  // no installation behind the user's back at start
        }
    }
}

CustomPercentages FanModel::storedCustom() {
    auto& stored = *m_->preferences;
    return {
        storedPercentage(stored.value(keys::percentage(Preset::balanced)), kDefaultCustom.balanced),
        storedPercentage(stored.value(keys::percentage(Preset::max)), kDefaultCustom.max)};
}

smart::SmartSettings FanModel::storedSmart() {
    auto stored = m_->preferences->value(keys::kSmart).toByteArray().toStdString();
    auto settings = smart::decodeSmartSettings(stored).value_or(smart::SmartSettings{});
    settings.minimum = std::clamp<std::int64_t>(settings.minimum, 0, 100);
    return settings;
}

// Another program (ventoriactl presets, a second device's sync) may change the stored presets
// while we run: the model takes them up as if they had been saved here.
void FanModel::watchDefaults() {
    auto file = m_->preferences->location();
    if (file.isEmpty()) return;
    // The file itself when it is there, so that what other applications keep beside it wakes
    // nobody here; until it is, the nearest folder on its way that exists, to see it come.
    auto rewatch = [this, file] {
        auto& watcher = m_->defaultsWatcher;
        if (!watcher.files().isEmpty()) watcher.removePaths(watcher.files());
        if (!watcher.directories().isEmpty()) watcher.removePaths(watcher.directories());
        if (QFileInfo::exists(file)) {
            watcher.addPath(file);
            return;
        }
        std::filesystem::path folder = QFileInfo(file).absolutePath().toStdString();
        std::error_code ignored;
        while (!std::filesystem::is_directory(folder, ignored) && folder != folder.parent_path()) {
            folder = folder.parent_path();
        }
        watcher.addPath(QString::fromStdString(folder.string()));
    };
    rewatch();
    // Settings files are replaced, not rewritten: the new one needs watching afresh.
    auto changed = [this, file, rewatch] {
        rewatch();
        if (QFileInfo::exists(file)) storedPresetsChanged();
    };
    connect(&m_->defaultsWatcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&m_->defaultsWatcher, &QFileSystemWatcher::directoryChanged, this, changed);
}

void FanModel::storedPresetsChanged() {
    m_->preferences->reload();
    auto custom = storedCustom();
    auto settings = storedSmart();
    if (custom != custom_ || settings != smart_) savePresets(custom, settings);
    settings_->reload();
}

FanModel::~FanModel() {
    if (applyToken_) applyToken_->cancel();
}

void FanModel::setNotchAvailable(bool available) {
    if (available == notchAvailable_) return;
    notchAvailable_ = available;
    emit notchAvailableChanged();
}

void FanModel::setDetailsShown(bool shown) {
    if (shown == detailsShown_) return;
    detailsShown_ = shown;
    if (shown) updateDetails();  // the view opens with readings, not a poll interval later
}

// On a change of power source, the preset the user set for the new one. Only where the
// helper is already installed: pulling a plug must never bring up an administrator prompt.
void FanModel::followPowerSource() {
    auto battery = platform::onBattery();
    if (!battery) return;
    auto source = *battery ? PowerSource::battery : PowerSource::charger;
    bool changed = powerSource_ && *powerSource_ != source;
    powerSource_ = source;
    if (!changed) return;
    emit powerSourceChanged();
    auto preset = settings_->powerPreset(source);
    if (!preset || *preset == preset_ || quitting_) return;
    if (*preset != Preset::automatic && !helperInstalled()) return;
    select(*preset);
}

void FanModel::observeAlerts() {
    AlertConditions conditions;
    conditions.safetyBoost = smartPhase() == smart::Phase::safety;
    if (auto percent = custom_[preset_]; percent && !applying_ && !error_) {
        conditions.forcedFraction = *percent / 100.0;
    } else if (preset_ == Preset::smart && smartStatus_) {
        conditions.forcedFraction = smartStatus_->level;
    }
    conditions.fans = fans_;
    conditions.helperUnreachable = awaitingHelper_ && preset_ != Preset::automatic;
    auto allowed = [this](AlertKind kind) { return settings_->notifies(kind); };
    for (const auto& alert : m_->alerts.observe(conditions, AlertPolicy::Clock::now(), allowed)) {
        emit alerted(alert.kind, alert.title, alert.body);
    }
}

void FanModel::updateDetails() {
    if (!m_->reader) return;
    if (!m_->sensors) m_->sensors.emplace(m_->temperatures);
    auto details = readDetails(fans_, *m_->reader, *m_->sensors);
    if (details == details_) return;
    details_ = std::move(details);
    emit detailsChanged();
}

void FanModel::setNotchOpen(bool open) {
    if (open == notchOpen_) return;
    notchOpen_ = open;
    emit notchOpenChanged();
}

void FanModel::setPreferredMode(DisplayMode mode) {
    m_->preferences->set(keys::kMode, QString::fromLatin1(rawValue(mode).data()));
    if (mode == preferredMode_) return;
    preferredMode_ = mode;
    emit preferredModeChanged();
}

void FanModel::setPreset(Preset preset) {
    auto name = QString::fromLatin1(rawValue(preset).data());
    if (persistChoice_ && m_->preferences->value(keys::kPreset) != name) {
        m_->preferences->set(keys::kPreset, name);
    }
    if (preset == preset_) return;
    preset_ = preset;
    emit presetChanged();
}

void FanModel::setCustom(const CustomPercentages& custom) {
    if (custom == custom_) return;
    custom_ = custom;
    emit customChanged();
}

void FanModel::setSmart(const smart::SmartSettings& settings) {
    if (settings == smart_) return;
    smart_ = settings;
    emit smartChanged();
}

void FanModel::setFans(FanReadings fans) {
    if (fans == fans_) return;
    fans_ = std::move(fans);
    emit fansChanged();
}

void FanModel::setTemps(const hardware::ThermalReading& temps) {
    if (temps == temps_) return;
    temps_ = temps;
    emit tempsChanged();
}

void FanModel::setSmartStatus(const std::optional<smart::SmartStatus>& status) {
    if (status == smartStatus_) return;
    smartStatus_ = status;
    emit smartStatusChanged();
}

void FanModel::setError(const std::optional<ModelError>& error) {
    if (error == error_) return;
    error_ = error;
    emit errorMessageChanged();
}

void FanModel::poll() {
    setFans(m_->reader ? m_->reader->readings() : FanReadings{});
    if (pollsToCheck_ > 0) --pollsToCheck_;
    if (pollsToCheck_ == 0) checkFans();
    if (m_->thermals) setTemps(m_->thermals->sample());
    // What this poll read, and nothing more: the history costs no SMC call of its own.
    history_.record({std::chrono::system_clock::now(), std::chrono::steady_clock::now(),
                     temps_.chip, temps_.chassis, level()});
    if (detailsShown_) updateDetails();
    if (followPower_) followPowerSource();
    if (preset_ == Preset::smart && !error_) {
        pollSmartStatus(this);  // each poll its own request; they are not serialised
        return;
    }
    setSmartStatus(std::nullopt);
    observeAlerts();
    emit polled();
}

void FanModel::applyPreset() {
    m_->retryTimer.stop();
    retryDelay_ = kRetryFirst;
    startApply(ApplyKind::choice);
}

void FanModel::startApply(ApplyKind kind) {
    double fraction = custom_[preset_].value_or(0) / 100.0;
    if (applyToken_) applyToken_->cancel();
    applyToken_ = std::make_shared<CancelToken>();
    applying_ = true;
    pollsToCheck_ = -1;
    offTargetPolls_.clear();
    setFanProblem(std::nullopt);
    runApply(this, preset_, fraction, applyToken_, kind);
}

void FanModel::helperLost() {
    // A request in flight reports the loss itself; automatic needs no helper.
    if (quitting_ || applying_ || preset_ == Preset::automatic) return;
    pollsToCheck_ = -1;
    setFanProblem(std::nullopt);
    setError(errors::connectionEnded());
    retryLater();
}

void FanModel::retryLater() {
    awaitingHelper_ = true;
    m_->retryTimer.start(retryDelay_);
    retryDelay_ = std::min(retryDelay_ * 2, kRetryLongest);
}

void FanModel::setFanProblem(const std::optional<ModelError>& problem) {
    if (problem == fanProblem_) return;
    // The problem owns the error line only while it is the problem that is shown there.
    if (problem) {
        setError(problem);
    } else if (error_ == fanProblem_) {
        setError(std::nullopt);
    }
    fanProblem_ = problem;
}

void FanModel::checkFans() {
    std::optional<ModelError> problem;
    int count = m_->reader ? m_->reader->fanCount() : 0;
    auto fraction = custom_[preset_];
    for (int id = 0; id < count && !problem; ++id) {
        auto fan = std::find_if(fans_.begin(), fans_.end(),
                                [id](const auto& reading) { return reading.id == id; });
        if (fan == fans_.end()) {
            problem = errors::fanUnreadable(id);
        } else if (preset_ == Preset::automatic && fan->manual) {
            problem = errors::fanStillForced(id);
        } else if (preset_ != Preset::automatic && !fan->manual && fan->modeKnown) {
            problem = errors::fanNotControlled(id);
        } else if (fraction && offTarget(*fan, *fraction / 100.0)) {
            if (++offTargetPolls_[id] >= slewPolls_) {
                problem = errors::fanOffTarget(*fan, *fraction / 100.0);
            }
        } else {
            offTargetPolls_.erase(id);
        }
    }
    setFanProblem(problem);
    emit checked();
}

void FanModel::select(Preset preset) {
    // Choosing the active preset again sends it again: the way out whenever anything failed.
    setPreset(preset);
    applyPreset();
}

bool FanModel::savePresets(CustomPercentages custom, smart::SmartSettings settings) {
    bool customChanged = custom != custom_;
    bool smartChanged = settings != smart_;
    std::optional<QVariant> smartJson;
    if (auto json = smart::encode(settings)) smartJson = QByteArray::fromStdString(*json);
    bool stored = m_->preferences->set({{keys::percentage(Preset::balanced), custom.balanced},
                                        {keys::percentage(Preset::max), custom.max},
                                        {keys::kSmart, smartJson}});
    setCustom(custom);
    setSmart(settings);
    if (preset_ == Preset::smart) {
        if (smartChanged) applyPreset();
    } else if (preset_ != Preset::automatic && customChanged) {
        applyPreset();
    }
    return stored;
}

void FanModel::setDisplayMode(DisplayMode mode) {
    if (mode == DisplayMode::notch && !notchAvailable_) return;
    setPreferredMode(mode);
    setNotchOpen(mode == DisplayMode::notch);
}

void FanModel::editPresets() {
    setNotchOpen(false);
    if (editPresetsHandler) editPresetsHandler();
}

void FanModel::openSettings() {
    setNotchOpen(false);
    if (settingsHandler) settingsHandler();
}

void FanModel::openDetails() {
    setNotchOpen(false);
    if (detailsHandler) detailsHandler();
}

QString FanModel::subtitle(Preset preset, TemperatureUnit unit) const {
    return app::subtitle(preset,
                         {preset_, errorSummary(), !fans_.empty(), custom_, smartDetail(unit)});
}

QCoro::Task<> FanModel::handBack() {
    if (applyToken_) applyToken_->cancel();
    applying_ = false;
    quitting_ = true;
    m_->retryTimer.stop();
    if (!helperInstalled()) co_return;
    try {
        co_await m_->helper->setAuto();
    } catch (const std::exception&) {
        // Quitting goes on whatever the helper says.
    }
}

QCoro::Task<> FanModel::handBackWithin(std::chrono::milliseconds bound) {
    Completion<std::monostate> done;
    QTimer::singleShot(bound, QCoreApplication::instance(), [done]() mutable { done.resolve({}); });
    [](QPointer<FanModel> model, Completion<std::monostate> finished) -> QCoro::Task<> {
        co_await model->handBack();
        finished.resolve({});
    }(this, done);
    co_await done;
}

std::unique_ptr<FanModel> makeFanModel(FanModel::Options options) {
    auto helper = std::make_unique<HelperClient>(localSocketConnector(), platformInstaller());
    return std::make_unique<FanModel>(std::move(helper), userPreferences(), options);
}

}  // namespace ventoria::app
