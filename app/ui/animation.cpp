#include "animation.h"

#include <QPointF>
#include <cmath>

namespace ventoria::ui {
namespace {

QEasingCurve bezier(QPointF c1, QPointF c2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

}  // namespace

QEasingCurve easeOut() {
    return bezier({0, 0}, {0.58, 1});
}
QEasingCurve easeInOut() {
    return bezier({0.42, 0}, {0.58, 1});
}
QEasingCurve levelCurve() {
    return bezier({0.3, 0.8}, {0.3, 1});
}

double springProgress(double response, double dampingFraction, double seconds) {
    if (seconds <= 0) return 0;
    double omega = 2 * M_PI / response;  // natural angular frequency
    double zeta = dampingFraction;
    if (zeta < 1) {
        double damped = omega * std::sqrt(1 - zeta * zeta);
        double envelope = std::exp(-zeta * omega * seconds);
        return 1 - envelope * (std::cos(damped * seconds) +
                               zeta * omega / damped * std::sin(damped * seconds));
    }
    return 1 - std::exp(-omega * seconds) * (1 + omega * seconds);  // critically damped
}

double springSettleTime(double response, double dampingFraction) {
    double step = 1.0 / 240;
    double settled = 0;
    for (double t = step; t < 10; t += step) {
        if (std::abs(1 - springProgress(response, dampingFraction, t)) > 0.001) settled = t;
    }
    return settled + step;
}

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
