#pragma once

#include <QObject>
#include <chrono>
#include <memory>

#include "notch_controller.h"
#include "preset_editor_controller.h"
#include "settings_controller.h"
#include "status_item_controller.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// The application's delegate: it owns the model from the start, creates the interface's
// controllers once launching has finished, and lets the application end only after the fans
// have been handed back (or the helper has had its few seconds to answer).
class AppDelegate : public QObject {
    Q_OBJECT
  public:
    explicit AppDelegate(std::unique_ptr<app::FanModel> model,
                         std::unique_ptr<NotchDisplays> displays = nullptr);
    ~AppDelegate() override;

    // The editor and the Settings and Details windows with their actions on the model, the
    // desktop notifications, the notch controller and the status item, in that order.
    void didFinishLaunching();
    // Every way of quitting comes here: the menu, the shortcut, the desktop's request.
    void requestQuit();
    // The user launched the application again: show it, in the notch or under the icon.
    void activate();

    app::FanModel& model() { return *model_; }
    PresetEditorController* presetEditor() const { return presetEditor_.get(); }
    SettingsController* settings() const { return settings_.get(); }
    NotchController* notch() const { return notch_.get(); }
    StatusItemController* statusItem() const { return statusItem_.get(); }

    static constexpr std::chrono::seconds kQuitBound{5};

  signals:
    // The hand-back has finished; the application may end now.
    void readyToTerminate();

  private:
    std::unique_ptr<app::FanModel> model_;
    std::unique_ptr<NotchDisplays> displays_;
    std::unique_ptr<PresetEditorController> presetEditor_;
    std::unique_ptr<SettingsController> settings_;
    std::unique_ptr<NotchController> notch_;
    std::unique_ptr<StatusItemController> statusItem_;
    bool quitting_ = false;
};

}  // namespace ventoria::ui
