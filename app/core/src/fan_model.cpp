#include "ventoria/app/fan_model.h"

#include <QCoroTask>
#include <QTimer>

#include "ventoria/app/helper_client.h"

namespace ventoria::app {
namespace {

// Each property changes, and says so, only when its value does.
template <typename T, typename V>
bool replaced(T& held, V&& value) {
    if (held == value) return false;
    held = std::forward<V>(value);
    return true;
}

}  // namespace

FanModel::FanModel(Parts parts, Options options, QObject* parent)
    : QObject(parent),
      store_(std::move(parts.store)),
      placement_(*store_),
      sender_(std::move(parts.sender)),
      hardware_(std::move(parts.hardware)),
      power_(std::move(parts.power)),
      followCheck_(options.pollInterval),
      pollTimer_(new QTimer(this)),
      settings_(std::make_unique<Settings>(store_->preferences())),
      history_(History::capacityFor(options.pollInterval)),
      followPower_(options.followPowerSource),
      preset_(store_->preset()),
      custom_(store_->custom()),
      smart_(store_->smart()),
      persistChoice_(options.persistChoice) {
    connect(sender_.get(), &ChoiceSender::answered, this, &FanModel::answered);
    connect(sender_.get(), &ChoiceSender::settled, this, &FanModel::applied);
    connect(sender_.get(), &ChoiceSender::connectionLost, this, &FanModel::helperLost);
    connect(sender_.get(), &ChoiceSender::retryDue, this, [this] {
        if (preset_ != Preset::automatic) send(ChoiceSender::Kind::recovery);
    });
    connect(settings_.get(), &Settings::changed, this, &FanModel::settingsChanged);
    connect(&errors_, &ErrorLine::changed, this, &FanModel::errorMessageChanged);
    connect(store_.get(), &PresetStore::changedElsewhere, this, &FanModel::storedPresetsChanged);
    errors_.watch(store_->preferences());

    poll();
    pollTimer_->setInterval(options.pollInterval);
    connect(pollTimer_, &QTimer::timeout, this, &FanModel::poll);
    pollTimer_->start();

    if (options.reapplyAtStart && preset_ != Preset::automatic) {
        if (sender_->installed()) {
            applyPreset();
        } else {
            setPreset(Preset::automatic);  // no installation behind the user's back at start
        }
    }
}

FanModel::~FanModel() = default;

// Another program changed the stored presets: they are taken up as if saved here.
void FanModel::storedPresetsChanged() {
    auto custom = store_->custom();
    auto smart = store_->smart();
    if (custom != custom_ || smart != smart_) savePresets(custom, smart);
    settings_->reload();
}

void FanModel::setDetailsShown(bool shown) {
    if (shown == detailsShown_) return;
    detailsShown_ = shown;
    if (shown) updateDetails();  // the view opens with readings, not a poll interval later
}

// On a change of power source, the preset the user set for the new one. Only where the
// helper is already installed: pulling a plug must never bring up an administrator prompt.
void FanModel::followPowerSource() {
    if (!power_.changed()) return;
    emit powerSourceChanged();
    auto preset = settings_->powerPreset(*power_.source());
    if (!preset || *preset == preset_ || quitting_) return;
    if (*preset != Preset::automatic && !sender_->installed()) return;
    select(*preset);
}

void FanModel::observeAlerts() {
    auto conditions = alertConditions(
        ModelState{.preset = preset_,
                   .percent = applying() || error() ? std::nullopt : custom_[preset_],
                   .smartStatus = smartStatus_,
                   .fans = fans_,
                   .awaitingHelper = awaitingHelper_});
    auto allowed = [this](AlertKind kind) { return settings_->notifies(kind); };
    for (const auto& alert : alerts_.observe(conditions, AlertPolicy::Clock::now(), allowed)) {
        emit alerted(alert.kind, alert.title, alert.body);
    }
}

void FanModel::updateDetails() {
    auto details = hardware_->details(fans_);
    if (!details || *details == details_) return;
    details_ = std::move(*details);
    emit detailsChanged();
}

void FanModel::setPreset(Preset preset) {
    if (persistChoice_) store_->setPreset(preset);
    if (preset == preset_) return;
    preset_ = preset;
    emit presetChanged();
}

void FanModel::setSmartStatus(const std::optional<smart::SmartStatus>& status) {
    if (replaced(smartStatus_, status)) emit smartStatusChanged();
}

void FanModel::poll() {
    if (replaced(fans_, hardware_->fans())) emit fansChanged();
    if (followCheck_.due()) checkFans();
    if (auto temps = hardware_->temperatures(); temps && replaced(temps_, *temps)) {
        emit tempsChanged();
    }
    // What this poll read, and nothing more: the history costs no SMC call of its own.
    history_.record({std::chrono::system_clock::now(), std::chrono::steady_clock::now(),
                     temps_.chip, temps_.chassis, level()});
    if (detailsShown_) updateDetails();
    if (followPower_) followPowerSource();
    if (preset_ == Preset::smart && !error()) {
        pollSmartStatus();  // each poll its own request; they are not serialised
        return;
    }
    setSmartStatus(std::nullopt);
    observeAlerts();
    emit polled();
}

void FanModel::machineWoke() {
    followCheck_.restart();
    poll();
}

void FanModel::pollSmartStatus() {
    [](QPointer<FanModel> model) -> QCoro::Task<> {
        std::optional<smart::SmartStatus> status;
        try {
            status = co_await model->sender_->helper().smartStatus();
        } catch (const std::exception&) {
            status.reset();  // no message: the tile simply shows no detail
        }
        if (!model) co_return;
        if (model->preset_ == Preset::smart) model->setSmartStatus(status);
        model->observeAlerts();
        emit model->polled();
    }(this);
}

void FanModel::applyPreset() {
    send(ChoiceSender::Kind::choice);
}

void FanModel::send(ChoiceSender::Kind kind) {
    followCheck_.disarm();
    errors_.setFanProblem(std::nullopt);
    sender_->send(
        {.preset = preset_, .fraction = custom_[preset_].value_or(0) / 100.0, .smart = smart_},
        kind);
}

// A user's choice that fails falls back to automatic with the reason; a recovery after the
// helper went away keeps the choice, says why it is not in force, and tries again later.
void FanModel::answered(const ChoiceSender::Answer& answer) {
    if (answer.failure && answer.kind == ChoiceSender::Kind::recovery) {
        errors_.show(errors::retrying(*answer.failure));
        retryLater();
    } else if (answer.failure) {
        errors_.show(answer.failure);
        if (answer.preset != Preset::automatic) setPreset(Preset::automatic);
    } else if (!answer.cancelled) {
        errors_.choiceHeld();
        awaitingHelper_ = false;
        sender_->resetPauses();
        followCheck_.arm(answer.preset);
    }
    poll();
}

void FanModel::helperLost() {
    // A request in flight reports the loss itself; automatic needs no helper.
    if (quitting_ || applying() || preset_ == Preset::automatic) return;
    followCheck_.disarm();
    errors_.setFanProblem(std::nullopt);
    errors_.show(errors::connectionEnded());
    retryLater();
}

void FanModel::retryLater() {
    awaitingHelper_ = true;
    sender_->retryLater();
}

void FanModel::checkFans() {
    errors_.setFanProblem(
        followCheck_.check(fans_, hardware_->fanCount(), preset_, custom_[preset_]));
    emit checked();
}

void FanModel::select(Preset preset) {
    // Choosing the active preset again sends it again: the way out whenever anything failed.
    setPreset(preset);
    applyPreset();
}

bool FanModel::savePresets(CustomPercentages custom, smart::SmartSettings settings) {
    bool customDiffers = custom != custom_;
    bool smartDiffers = settings != smart_;
    bool stored = store_->save(custom, settings);
    if (replaced(custom_, custom)) emit customChanged();
    if (replaced(smart_, settings)) emit smartChanged();
    // Only what the active preset uses is sent again.
    if (preset_ == Preset::smart ? smartDiffers : preset_ != Preset::automatic && customDiffers) {
        applyPreset();
    }
    return stored;
}

void FanModel::editPresets() {
    placement_.setNotchOpen(false);
    emit editPresetsRequested();
}

void FanModel::openSettings() {
    placement_.setNotchOpen(false);
    emit settingsRequested();
}

void FanModel::openDetails() {
    placement_.setNotchOpen(false);
    emit detailsRequested();
}

SubtitleParts FanModel::subtitleParts(Preset preset, TemperatureUnit unit) const {
    return app::subtitleParts(
        preset, {preset_, errorSummary(), !fans_.empty(), custom_, smartDetail(unit)});
}

QCoro::Task<> FanModel::handBackWithin(std::chrono::milliseconds bound) {
    quitting_ = true;
    co_await sender_->handBackWithin(bound);
}

}  // namespace ventoria::app
