#pragma once
// A number that moves: along one of the interface's curves or on a spring.

#include <QEasingCurve>
#include <QObject>
#include <QVariantAnimation>
#include <QWidget>
#include <chrono>
#include <functional>

namespace ventoria::ui {

// An animation of one number between two values along a curve or a spring. It runs only
// while animating; at rest it costs nothing.
class Motion : public QObject {
    Q_OBJECT
  public:
    explicit Motion(double initial, QObject* parent = nullptr);

    double value() const { return value_; }
    // Where the motion is heading: its value once any running animation has finished.
    double target() const { return running() ? to_ : value_; }
    // Moves to `target` along `curve` over `duration`; a zero duration jumps.
    void animate(double target, std::chrono::milliseconds duration, const QEasingCurve& curve);
    // Moves to `target` on a spring.
    void spring(double target, double response, double dampingFraction);
    void jump(double target);
    bool running() const { return animation_.state() == QAbstractAnimation::Running; }

  signals:
    void changed(double value);

  private:
    void start(double target, int milliseconds, const std::function<double(double)>& progress);

    double value_;
    QVariantAnimation animation_;
    std::function<double(double)> progress_;
    double from_ = 0;
    double to_ = 0;
};

// Animates `motion` only while `widget` is on screen; a hidden widget just takes the value, so
// an interface nobody looks at costs no frames.
void animateIfShown(Motion& motion, const QWidget& widget, double target,
                    std::chrono::milliseconds duration, const QEasingCurve& curve);

}  // namespace ventoria::ui
