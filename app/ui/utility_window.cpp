#include "utility_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "native_window.h"

namespace ventoria::ui {

UtilityWindow::UtilityWindow(QString title) : title_(std::move(title)) {}

UtilityWindow::~UtilityWindow() = default;

void UtilityWindow::setView(QWidget* view) {
    if (!window_) {
        window_ = std::make_unique<QWidget>(nullptr, editorFlags());
        window_->setAttribute(Qt::WA_TranslucentBackground);
        styleEditor(*window_);
        window_->setWindowTitle(title_);
        new QVBoxLayout(window_.get());
        window_->layout()->setContentsMargins(0, 0, 0, 0);
        window_->layout()->setSizeConstraint(QLayout::SetFixedSize);
    }
    if (view_) {
        window_->layout()->removeWidget(view_);
        view_->hide();
        view_->deleteLater();
    }
    view->setParent(window_.get());
    view_ = view;
    window_->layout()->addWidget(view);
}

void UtilityWindow::present() {
    if (!window_) return;
    window_->adjustSize();
    auto* screen = QGuiApplication::primaryScreen();
    window_->move(screen->availableGeometry().center() - window_->rect().center());
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (view_) view_->setFocus();
}

void UtilityWindow::close() {
    if (window_) window_->close();
}

}  // namespace ventoria::ui
