#include "popover_panel.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/decorations.h"
#include "fonts.h"
#include "theme.h"

namespace ventoria::ui {

PopoverPanel::PopoverPanel(app::FanModel& model, std::function<void()> onEditPresets,
                           std::function<void()> onQuit, bool popup)
    : QWidget(nullptr, popup ? Qt::Popup | Qt::FramelessWindowHint : Qt::Window), popup_(popup) {
    if (popup) setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Ventoria"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new MenuPopoverView(model, std::move(onEditPresets), std::move(onQuit), this);
    layout->addWidget(view_);
    if (!popup) {
        auto* note = new QLabel(QStringLiteral("There is no system tray here, so Ventoria shows "
                                               "this window. Open Ventoria again to bring it "
                                               "back once it is closed."),
                                this);
        note->setObjectName(QStringLiteral("noTrayNote"));
        note->setWordWrap(true);
        note->setFont(uiFont(11));
        note->setContentsMargins(16, 0, 16, 12);
        tint(note, PopoverTheme::forScheme(view_->dark()).sub);
        layout->addWidget(note);
        note_ = note;
    }
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PopoverPanel::present(const QRect& anchor, const QRect& available) {
    if (popup_) {
        placeUnder(anchor, available);
    } else if (!std::exchange(placed_, true)) {
        adjustSize();
        move(available.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void PopoverPanel::mousePressEvent(QMouseEvent* event) {
    dragFrom_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

// A window without a window manager has no title bar to move it by: its background is one.
void PopoverPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!popup_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragFrom_);
    }
    QWidget::mouseMoveEvent(event);
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
    if (note_) note_->hide();  // said once
    emit closed();
}

}  // namespace ventoria::ui
