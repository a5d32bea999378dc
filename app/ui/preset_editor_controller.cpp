#include "preset_editor_controller.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "native_window.h"

namespace ventoria::ui {

PresetEditorController::PresetEditorController(app::FanModel& model) : model_(model) {}

PresetEditorController::~PresetEditorController() = default;

void PresetEditorController::show() {
    if (!window_) {
        window_ = std::make_unique<QWidget>(nullptr, editorFlags());
        window_->setAttribute(Qt::WA_TranslucentBackground);
        styleEditor(*window_);
        window_->setWindowTitle(QStringLiteral("Edit Presets"));
        new QVBoxLayout(window_.get());
        window_->layout()->setContentsMargins(0, 0, 0, 0);
        window_->layout()->setSizeConstraint(QLayout::SetFixedSize);
    }
    if (view_) {
        window_->layout()->removeWidget(view_);
        view_->hide();
        view_->deleteLater();
    }
    view_ = new PresetEditorView(
        model_, [this] { window_->close(); }, window_.get());
    window_->layout()->addWidget(view_);
    window_->adjustSize();
    auto* screen = QGuiApplication::primaryScreen();
    window_->move(screen->availableGeometry().center() - window_->rect().center());
    window_->show();
    window_->raise();
    window_->activateWindow();
    view_->setFocus();
}

}  // namespace ventoria::ui
