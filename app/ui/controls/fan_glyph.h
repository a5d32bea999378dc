#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "animation.h"
#include "motion.h"

namespace ventoria::ui {

// The three-bladed fan: lit blades show a level, and it can spin. It animates only while it
// is visible and spinning.
class FanGlyph : public QWidget {
    Q_OBJECT
  public:
    FanGlyph(int size, bool hub, QWidget* parent = nullptr);

    void setBlades(int blades);  // 0…3; changes fade over 0.3 s
    void setColor(const QColor& color);
    void setSpin(double turnsPerSecond);  // 0: still, at its 45° rest

    double spin() const { return spin_; }
    bool spinning() const { return frame_.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void updateFrames();
    double angle() const;

    bool hub_;
    QColor color_;
    double spin_ = 0;
    // The rotation runs on a monotonic clock from the last change of speed, so it neither
    // jumps when the speed changes nor when a wall clock wraps.
    QElapsedTimer sinceSpinChange_;
    double angleAtSpinChange_ = 0;
    Motion blades_;
    QTimer frame_;
};

}  // namespace ventoria::ui
