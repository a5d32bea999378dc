#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "preset_editor_view.h"
#include "utility_window.h"

namespace ventoria::ui {

// Owns the editor's one window; every show starts from a fresh draft of the model's values.
class PresetEditorController : public QObject {
    Q_OBJECT
  public:
    explicit PresetEditorController(app::FanModel& model);
    ~PresetEditorController() override;

    void show();
    QWidget* window() const { return window_.window(); }
    PresetEditorView* view() const { return view_; }

  private:
    app::FanModel& model_;
    UtilityWindow window_{QStringLiteral("Edit Presets")};
    QPointer<PresetEditorView> view_;
};

}  // namespace ventoria::ui
