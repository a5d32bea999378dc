#pragma once

#include <QAbstractButton>

#include "animation.h"
#include "motion.h"

namespace ventoria::ui {

// A mini switch. It shows a value it is given and asks for the other one when clicked; the
// owner decides.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
  public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    void setOn(bool on);
    bool isOn() const { return on_; }
    QSize sizeHint() const override { return {26, 15}; }

  signals:
    void flipped(bool wanted);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool on_ = false;
    Motion knob_;
};

}  // namespace ventoria::ui
