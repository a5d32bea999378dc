#pragma once

#include <QAbstractButton>

#include "animation.h"
#include "motion.h"
#include "theme.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// One preset's tile in the popover: its badge, glyph or bars above its name; white on the
// accent colour while selected. A click selects the preset.
class PresetTile : public QAbstractButton {
    Q_OBJECT
  public:
    PresetTile(app::FanModel& model, app::Preset preset, QWidget* parent = nullptr);

    void setTheme(const PopoverTheme& theme);
    app::Preset preset() const { return preset_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void animateToModel();

    app::FanModel& model_;
    app::Preset preset_;
    PopoverTheme theme_;
    Motion selected_;
};

}  // namespace ventoria::ui
