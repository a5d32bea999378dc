#include "notch_controller.h"

#include <QApplication>
#include <QMouseEvent>

#include "notch_geometry.h"

namespace ventoria::ui {

NotchController::NotchController(app::FanModel& model, std::unique_ptr<NotchDisplays> displays,
                                 std::function<void()> onQuit)
    : model_(model), displays_(std::move(displays)), onQuit_(std::move(onQuit)) {
    collapse_.setSingleShot(true);
    collapse_.setInterval(kCollapseDelay);
    connect(&collapse_, &QTimer::timeout, this, [this] {
        if (panel_ && screen_ && !model_.placement().notchOpen()) position(false);
    });
    connect(displays_.get(), &NotchDisplays::changed, this, &NotchController::update);
    connect(&model_, &app::FanModel::polled, displays_.get(), &NotchDisplays::recheck);
    connect(&model_.placement(), &app::DisplayPlacement::changed, this, &NotchController::update);
    qApp->installEventFilter(this);
    update();
}

bool NotchController::eventFilter(QObject* watched, QEvent* event) {
    // A click in any other window of ours closes the open notch.
    if (event->type() == QEvent::MouseButtonPress && model_.placement().notchOpen() && panel_ &&
        watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched)->window();
        if (window != panel_.get()) model_.placement().setNotchOpen(false);
    }
    return QObject::eventFilter(watched, event);
}

void NotchController::update() {
    screen_ = displays_->notchScreen();
    auto& placement = model_.placement();
    placement.setNotchAvailable(screen_.has_value());
    if (!screen_ || !placement.usesNotch()) {
        if (panel_) panel_->hide();
        state_.setOpen(false, std::nullopt);
        // A panel that comes back later starts closed, as it would on a fresh launch.
        placement.setNotchOpen(false);
        return;
    }
    state_.setNotchSize(QSizeF(screen_->notch));
    if (!panel_) panel_ = std::make_unique<NotchPanel>(model_, state_, onQuit_);
    collapse_.stop();
    if (placement.notchOpen()) {
        position(true);  // grow the window first; the content springs open inside it
        state_.setOpen(true, kOpenSpring);
    } else if (state_.open()) {
        state_.setOpen(false, kCloseSpring);
        collapse_.start();  // shrink once the content has closed
    } else {
        position(false);
    }
    panel_->show();
    panel_->raise();
    if (placement.notchOpen()) panel_->activateWindow();
}

void NotchController::position(bool open) {
    panel_->setGeometry(panelFrame(screen_->frame, state_.notchSize(), open));
}

}  // namespace ventoria::ui
