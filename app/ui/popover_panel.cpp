#include "popover_panel.h"

#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "theme.h"

namespace ventoria::ui {

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

}  // namespace ventoria::ui
