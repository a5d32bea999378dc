#pragma once

#include <QComboBox>
#include <QLabel>
#include <array>

#include "controls/segmented.h"
#include "controls/toggle_switch.h"
#include "panel_view.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// The Settings window's content: the temperature unit, the menu-bar temperature, launch at
// login, the notifications and the power presets. Every control acts at once; there is no
// Save. Launch at login shows what the system reports, read again on every render.
class SettingsView : public PanelView {
    Q_OBJECT
  public:
    explicit SettingsView(app::FanModel& model, QWidget* parent = nullptr);

    void render();

  private:
    void addGeneral(QVBoxLayout* body);
    void addNotifications(QVBoxLayout* body);
    void addPower(QVBoxLayout* body);
    QWidget* row(const QString& label, QWidget* control);
    QLabel* section(const QString& name);
    ToggleSwitch* toggle(const QString& name, std::function<void(bool)> flipped);
    QComboBox* presetChoice(app::PowerSource source);

    app::FanModel& model_;
    Segmented* unit_;
    ToggleSwitch* menuBarTemperature_;
    ToggleSwitch* launchAtLogin_;
    QLabel* loginNote_;
    std::array<ToggleSwitch*, app::kAllAlertKinds.size()> notifies_{};
    std::array<QComboBox*, app::kAllPowerSources.size()> powerPresets_{};
    QLabel* powerNow_;
};

}  // namespace ventoria::ui
