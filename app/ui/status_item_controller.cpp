#include "status_item_controller.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <iostream>

#include "glyphs.h"

namespace ventoria::ui {

StatusItemController::StatusItemController(app::FanModel& model, std::function<void()> onQuit,
                                           Clock clock)
    : model_(model), tray_(QSystemTrayIcon::isSystemTrayAvailable()), clock_(std::move(clock)) {
    popover_ = std::make_unique<PopoverPanel>(
        model_,
        [this] {
            popover_->close();  // the editor opens with the popover out of its way
            model_.editPresets();
        },
        std::move(onQuit), tray_);
    connect(popover_.get(), &PopoverPanel::closed, this, [this] {
        highlighted_ = false;
        if (!closingByToggle_) closedOutside_ = clock_();  // closed by a click outside it
    });
    if (!tray_) {
        std::cerr << "Ventoria: there is no system tray here, so its window stands in for the "
                     "menu-bar icon; open Ventoria again to bring the window back\n";
    }
    if (tray_) {
        item_ = std::make_unique<QSystemTrayIcon>();
        item_->setToolTip(QStringLiteral("Ventoria"));
        connect(item_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) toggle();
                });
    }
    for (auto signal : {&app::FanModel::fansChanged, &app::FanModel::presetChanged,
                        &app::FanModel::smartStatusChanged, &app::FanModel::tempsChanged,
                        &app::FanModel::settingsChanged}) {
        connect(&model_, signal, this, &StatusItemController::renderItem);
    }
    connect(&model_.placement(), &app::DisplayPlacement::changed, this,
            &StatusItemController::renderItem);
    renderItem();
}

QRect StatusItemController::anchor() const {
    if (item_ && item_->geometry().isValid()) return item_->geometry();
    return QRect(QCursor::pos(), QSize(1, 1));
}

bool StatusItemController::popoverOpen() const {
    return popover_->isVisible();
}

void StatusItemController::toggle() {
    if (popover_->isVisible()) {
        closingByToggle_ = true;
        popover_->close();
        closingByToggle_ = false;
        return;
    }
    if (closedOutside_ && clock_() - *closedOutside_ < kSameClick) return;
    auto* screen = QGuiApplication::screenAt(anchor().center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    popover_->present(anchor(), screen->availableGeometry());
    highlighted_ = true;
}

void StatusItemController::renderItem() {
    int lit = litBlades(model_.level());
    bool safety = model_.smartPhase() == smart::Phase::safety;
    bool dark = desktopIsDark();
    QString label = model_.settings().menuBarTemperature()
                        ? app::shortTemperatureText(model_.temps().chip, model_.unit())
                        : QString();
    if (lit != lit_ || safety != safety_ || dark != dark_ || label != label_) {
        lit_ = lit;
        safety_ = safety;
        dark_ = dark;
        label_ = label;
        icon_ = statusIcon(lit, safety, dark, 2, label);
        if (item_) item_->setIcon(statusItemIcon(icon_, safety));
    }
    if (model_.placement().usesNotch() && popover_->isVisible()) popover_->close();
    bool wasHidden = !itemVisible_;
    itemVisible_ = !model_.placement().usesNotch();
    if (item_) {
        item_->setVisible(itemVisible_);
    } else if (itemVisible_ && wasHidden) {
        // No tray: the popover's window is the interface, at start and back from the notch.
        auto* screen = QGuiApplication::primaryScreen();
        popover_->present({}, screen->availableGeometry());
    }
}

}  // namespace ventoria::ui
