#include "controls/close_button.h"

#include <QPainter>

#include "controls/decorations.h"

namespace ventoria::ui {

CloseButton::CloseButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Close"));
    setToolTip(QStringLiteral("Close"));
    setFocusPolicy(Qt::NoFocus);
}

void CloseButton::setColors(const QColor& mark, const QColor& fill) {
    mark_ = mark;
    fill_ = fill;
    update();
}

bool CloseButton::event(QEvent* event) {
    followHover(*this, *event, hovered_);
    return QAbstractButton::event(event);
}

void CloseButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF circle = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(hovered_ || isDown() ? fill_ : Qt::transparent);
    painter.drawEllipse(circle);
    painter.setPen(QPen(mark_, 1.4, Qt::SolidLine, Qt::RoundCap));
    auto c = circle.center();
    constexpr qreal kArm = 3.5;
    painter.drawLine(c + QPointF(-kArm, -kArm), c + QPointF(kArm, kArm));
    painter.drawLine(c + QPointF(-kArm, kArm), c + QPointF(kArm, -kArm));
}

}  // namespace ventoria::ui
