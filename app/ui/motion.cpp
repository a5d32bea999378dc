#include "motion.h"

#include <cmath>

#include "animation.h"

namespace ventoria::ui {

Motion::Motion(double initial, QObject* parent) : QObject(parent), value_(initial) {
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& t) {
        value_ = from_ + (to_ - from_) * progress_(t.toDouble());
        emit changed(value_);
    });
    connect(&animation_, &QVariantAnimation::finished, this, [this] {
        value_ = to_;
        emit changed(value_);
    });
}

void Motion::start(double target, int milliseconds, const std::function<double(double)>& progress) {
    animation_.stop();
    if (milliseconds <= 0 || target == value_) return jump(target);
    from_ = value_;
    to_ = target;
    progress_ = progress;
    animation_.setDuration(milliseconds);
    animation_.start();
}

void Motion::animate(double target, std::chrono::milliseconds duration, const QEasingCurve& curve) {
    start(target, static_cast<int>(duration.count()),
          [curve](double t) { return curve.valueForProgress(t); });
}

void Motion::spring(double target, double response, double dampingFraction) {
    double seconds = springSettleTime(response, dampingFraction);
    start(target, static_cast<int>(seconds * 1000),
          [=](double t) { return springProgress(response, dampingFraction, t * seconds); });
}

void Motion::jump(double target) {
    animation_.stop();
    value_ = from_ = to_ = target;
    emit changed(value_);
}

void animateIfShown(Motion& motion, const QWidget& widget, double target,
                    std::chrono::milliseconds duration, const QEasingCurve& curve) {
    if (widget.isVisible()) {
        motion.animate(target, duration, curve);
    } else {
        motion.jump(target);
    }
}

}  // namespace ventoria::ui
