#pragma once
// The interface's motion: the curves its animations follow and a spring described, as the
// design describes springs, by its response and damping fraction.

#include <QEasingCurve>

namespace ventoria::ui {

QEasingCurve easeOut();    // cubic-bezier(0, 0, 0.58, 1)
QEasingCurve easeInOut();  // cubic-bezier(0.42, 0, 0.58, 1)
// The level bar's curve: control points (0.3, 0.8) and (0.3, 1).
QEasingCurve levelCurve();

// A spring as the design describes one: its undamped period and its damping fraction.
struct Spring {
    double response;
    double dampingFraction;
};

// A damped spring's progress from 0 toward 1 after `seconds`, for a spring whose undamped
// period is `response` seconds.
double springProgress(double response, double dampingFraction, double seconds);
// How long the spring takes to come within 0.1 % of its target and stay there.
double springSettleTime(double response, double dampingFraction);

}  // namespace ventoria::ui
