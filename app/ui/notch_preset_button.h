#pragma once

#include <QAbstractButton>

#include "animation.h"
#include "motion.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// A preset in the open notch: black on white while selected, white on a faint tile otherwise.
class NotchPresetButton : public QAbstractButton {
    Q_OBJECT
  public:
    NotchPresetButton(app::FanModel& model, app::Preset preset, QWidget* parent);
    QSize sizeHint() const override { return {80, 34}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    app::FanModel& model_;
    app::Preset preset_;
    Motion selected_;
};

}  // namespace ventoria::ui
