#include "controls/toggle_switch.h"

#include <QPainter>

#include "theme.h"

namespace ventoria::ui {

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent), knob_(0) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] { emit flipped(!on_); });
    connect(&knob_, &Motion::changed, this, qOverload<>(&QWidget::update));
}

void ToggleSwitch::setOn(bool on) {
    if (on == on_) return;
    on_ = on;
    animateIfShown(knob_, *this, on ? 1 : 0, std::chrono::milliseconds(150), easeOut());
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor off = palette().color(QPalette::Mid);
    painter.setBrush(blend(off, accentColor(), knob_.value()));
    QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    qreal diameter = track.height() - 3;
    qreal x = track.left() + 1.5 + (track.width() - 3 - diameter) * knob_.value();
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 1.5, diameter, diameter));
}

}  // namespace ventoria::ui
