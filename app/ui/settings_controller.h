#pragma once

#include <QPointer>

#include "details_view.h"
#include "settings_view.h"
#include "utility_window.h"

namespace ventoria::ui {

// Owns the Settings and Details windows, each made on first use and shown afresh.
class SettingsController {
  public:
    explicit SettingsController(app::FanModel& model);

    void showSettings();
    void showDetails();
    SettingsView* settings() const { return settings_; }
    DetailsView* details() const { return details_; }
    QWidget* settingsWindow() const { return settingsWindow_.window(); }
    QWidget* detailsWindow() const { return detailsWindow_.window(); }

  private:
    app::FanModel& model_;
    UtilityWindow settingsWindow_{QStringLiteral("Settings")};
    UtilityWindow detailsWindow_{QStringLiteral("Details")};
    QPointer<SettingsView> settings_;
    QPointer<DetailsView> details_;
};

}  // namespace ventoria::ui
