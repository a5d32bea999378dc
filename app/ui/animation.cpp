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

}  // namespace ventoria::ui
