#include "controls/pulse_dot.h"

#include <QEasingCurve>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "theme.h"

namespace ventoria::ui {

double pulseDim(double cycle) {
    double half = cycle < 0.5 ? cycle * 2 : (1 - cycle) * 2;
    return QEasingCurve(QEasingCurve::InOutSine).valueForProgress(std::clamp(half, 0.0, 1.0));
}

PulseDot::PulseDot(QWidget* parent) : QWidget(parent) {
    setFixedSize(6, 6);
    // A linear clock over the whole cycle; each half is eased on its own in pulseDim().
    pulse_.setStartValue(0.0);
    pulse_.setEndValue(1.0);
    pulse_.setDuration(1800);  // 0.9 s each way
    pulse_.setLoopCount(-1);
    connect(&pulse_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void PulseDot::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    pulse_.start();
}

void PulseDot::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    pulse_.stop();
}

void PulseDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    double dim = pulseDim(pulse_.currentValue().toDouble());
    painter.setOpacity(std::lerp(1.0, 0.35, dim));
    double scale = std::lerp(1.0, 0.7, dim);
    painter.translate(3, 3);
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNotchSafety);
    painter.drawEllipse(QRectF(-3, -3, 6, 6));
}

}  // namespace ventoria::ui
