#include "status_item_controller.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "glyphs.h"

namespace ventoria::ui {
namespace {

// How soon after the popover closed on an outside click the icon's own click still counts as
// that click, not as a new one.
constexpr qint64 kSameClickMilliseconds = 250;

}  // namespace

PopoverPanel::PopoverPanel(app::FanModel& model, std::function<void()> onEditPresets,
                           std::function<void()> onQuit, bool popup)
    : QWidget(nullptr, popup ? Qt::Popup | Qt::FramelessWindowHint : Qt::Window) {
    if (popup) setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Ventoria"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new MenuPopoverView(model, std::move(onEditPresets), std::move(onQuit), this);
    layout->addWidget(view_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PopoverPanel::placeUnder(const QRect& anchor, const QRect& available) {
    adjustSize();
    QPoint topLeft(anchor.center().x() - width() / 2, anchor.bottom() + 4);
    topLeft.setX(std::clamp(topLeft.x(), available.left(), available.right() - width()));
    topLeft.setY(std::clamp(topLeft.y(), available.top(), available.bottom() - height()));
    move(topLeft);
}

void PopoverPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    bool dark = view_->dark();
    painter.setPen(QPen(panelBorder(dark), 0.5));
    painter.setBrush(panelFill(dark, 250));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

void PopoverPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit closed();
}

StatusItemController::StatusItemController(app::FanModel& model, std::function<void()> onQuit)
    : model_(model), tray_(QSystemTrayIcon::isSystemTrayAvailable()) {
    popover_ = std::make_unique<PopoverPanel>(
        model_,
        [this] {
            popover_->close();  // the editor opens with the popover out of its way
            model_.editPresets();
        },
        std::move(onQuit), tray_);
    connect(popover_.get(), &PopoverPanel::closed, this, [this] {
        highlighted_ = false;
        if (!closingByToggle_) sinceClosed_.start();  // closed by a click outside it
    });
    if (tray_) {
        item_ = std::make_unique<QSystemTrayIcon>();
        item_->setToolTip(QStringLiteral("Ventoria"));
        connect(item_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) toggle();
                });
    }
    for (auto signal : {&app::FanModel::fansChanged, &app::FanModel::presetChanged,
                        &app::FanModel::smartStatusChanged, &app::FanModel::preferredModeChanged,
                        &app::FanModel::notchAvailableChanged}) {
        connect(&model_, signal, this, &StatusItemController::refreshItem);
    }
    refreshItem();
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
    if (sinceClosed_.isValid() && sinceClosed_.elapsed() < kSameClickMilliseconds) return;
    auto* screen = QGuiApplication::screenAt(anchor().center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    popover_->placeUnder(anchor(), screen->availableGeometry());
    popover_->show();
    popover_->activateWindow();
    highlighted_ = true;
}

void StatusItemController::refreshItem() {
    int lit = litBlades(model_.level());
    bool safety = model_.smartPhase() == smart::Phase::safety;
    bool dark = desktopIsDark();
    if (lit != lit_ || safety != safety_ || dark != dark_) {
        lit_ = lit;
        safety_ = safety;
        dark_ = dark;
        icon_ = statusIcon(lit, safety, dark, 2);
        if (item_) item_->setIcon(QIcon(QPixmap::fromImage(icon_)));
    }
    if (model_.usesNotch() && popover_->isVisible()) popover_->close();
    bool wasHidden = !itemVisible_;
    itemVisible_ = !model_.usesNotch();
    if (item_) {
        item_->setVisible(itemVisible_);
    } else if (itemVisible_ && wasHidden) {
        popover_->show();  // no tray: the popover is the interface, back from the notch
    }
}

}  // namespace ventoria::ui
