#include "controls/hairline.h"

#include <QPainter>

namespace ventoria::ui {

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

}  // namespace ventoria::ui
