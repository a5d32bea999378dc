#include "decorations.h"

#include <QEvent>
#include <QPainter>

namespace ventoria::ui {

RoundedTile::RoundedTile(QSize size, qreal radius, QWidget* parent)
    : QWidget(parent), radius_(radius) {
    setFixedSize(size);
}

void RoundedTile::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void RoundedTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawRoundedRect(QRectF(rect()), radius_, radius_);
}

Hairline::Hairline(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
}

void Hairline::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void Hairline::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(QRectF(0, 0, width(), 0.5), color_);
}

void followHover(QWidget& widget, const QEvent& event, bool& hovered) {
    bool now = hovered;
    if (event.type() == QEvent::HoverEnter) now = true;
    if (event.type() == QEvent::HoverLeave || event.type() == QEvent::Hide) now = false;
    if (now == hovered) return;
    hovered = now;
    widget.update();
}

}  // namespace ventoria::ui
