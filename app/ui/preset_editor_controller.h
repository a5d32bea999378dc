#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "preset_editor_view.h"

namespace ventoria::ui {

// Owns the editor's one window, made on first use; every show starts from a fresh draft of
// the model's values.
class PresetEditorController : public QObject {
    Q_OBJECT
  public:
    explicit PresetEditorController(app::FanModel& model);
    ~PresetEditorController() override;

    void show();
    QWidget* window() const { return window_.get(); }
    PresetEditorView* view() const { return view_; }

  private:
    app::FanModel& model_;
    std::unique_ptr<QWidget> window_;
    QPointer<PresetEditorView> view_;
};

}  // namespace ventoria::ui
