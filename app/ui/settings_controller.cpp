#include "settings_controller.h"

namespace ventoria::ui {

SettingsController::SettingsController(app::FanModel& model) : model_(model) {}

void SettingsController::showSettings() {
    // A fresh view reads launch at login from the system again.
    settings_ = new SettingsView(model_);
    settingsWindow_.setView(settings_);
    settingsWindow_.present();
}

void SettingsController::showDetails() {
    if (!details_) {
        details_ = new DetailsView(model_);
        detailsWindow_.setView(details_);
    }
    detailsWindow_.present();
}

}  // namespace ventoria::ui
