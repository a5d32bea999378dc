#include "preset_editor_controller.h"

namespace ventoria::ui {

PresetEditorController::PresetEditorController(app::FanModel& model) : model_(model) {}

PresetEditorController::~PresetEditorController() = default;

void PresetEditorController::show() {
    view_ = new PresetEditorView(model_, [this] { window_.close(); });
    window_.setView(view_);
    window_.present();
}

}  // namespace ventoria::ui
