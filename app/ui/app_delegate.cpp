#include "app_delegate.h"

#include <QCoroTask>

#include "desktop_notifications.h"

namespace ventoria::ui {

AppDelegate::AppDelegate(std::unique_ptr<app::FanModel> model,
                         std::unique_ptr<NotchDisplays> displays)
    : model_(std::move(model)), displays_(std::move(displays)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::didFinishLaunching() {
    presetEditor_ = std::make_unique<PresetEditorController>(*model_);
    QObject::connect(model_.get(), &app::FanModel::editPresetsRequested,
                     [editor = presetEditor_.get()] { editor->show(); });
    settings_ = std::make_unique<SettingsController>(*model_);
    QObject::connect(model_.get(), &app::FanModel::settingsRequested,
                     [settings = settings_.get()] { settings->showSettings(); });
    QObject::connect(model_.get(), &app::FanModel::detailsRequested,
                     [settings = settings_.get()] { settings->showDetails(); });
    prepareNotifications();
    QObject::connect(model_.get(), &app::FanModel::alerted, this,
                     [](app::AlertKind, const QString& title, const QString& body) {
                         postNotification(title, body);
                     });
    if (!displays_) displays_ = systemNotchDisplays();
    notch_ =
        std::make_unique<NotchController>(*model_, std::move(displays_), [this] { requestQuit(); });
    statusItem_ = std::make_unique<StatusItemController>(*model_, [this] { requestQuit(); });
}

void AppDelegate::activate() {
    if (quitting_) return;
    if (model_->placement().usesNotch()) {
        model_->placement().setNotchOpen(true);
    } else if (statusItem_ && !statusItem_->popoverOpen()) {
        statusItem_->toggle();
    }
}

void AppDelegate::requestQuit() {
    if (quitting_) return;
    quitting_ = true;
    [](AppDelegate* delegate) -> QCoro::Task<> {
        co_await delegate->model_->handBackWithin(kQuitBound);
        emit delegate->readyToTerminate();
    }(this);
}

}  // namespace ventoria::ui
