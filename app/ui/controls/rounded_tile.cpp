#include "controls/rounded_tile.h"

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

}  // namespace ventoria::ui
