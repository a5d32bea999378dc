#include "controls/level_bar.h"

#include <QPainter>
#include <algorithm>

namespace ventoria::ui {

LevelBar::LevelBar(QWidget* parent) : QWidget(parent), level_(0) {
    setFixedHeight(4);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&level_, &Motion::changed, this, qOverload<>(&QWidget::update));
}

void LevelBar::setLevel(double level) {
    level = std::clamp(level, 0.0, 1.0);
    if (level != level_.value())
        animateIfShown(level_, *this, level, std::chrono::milliseconds(800), levelCurve());
}

void LevelBar::setColors(const QColor& fill, const QColor& track) {
    if (fill == fill_ && track == track_) return;
    fill_ = fill;
    track_ = track;
    update();
}

void LevelBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QRectF bar = rect();
    qreal radius = bar.height() / 2;
    painter.setBrush(track_);
    painter.drawRoundedRect(bar, radius, radius);
    QRectF filled(bar.topLeft(), QSizeF(bar.width() * level_.value(), bar.height()));
    if (filled.width() <= 0) return;
    painter.setBrush(fill_);
    painter.drawRoundedRect(filled, std::min(radius, filled.width() / 2), radius);
}

}  // namespace ventoria::ui
