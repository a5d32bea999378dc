#pragma once

#include <QWidget>

#include "animation.h"
#include "motion.h"
#include "theme.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// The chip and case temperatures side by side, coloured by the model's tones.
class TempGrid : public QWidget {
    Q_OBJECT
  public:
    TempGrid(app::FanModel& model, const TempPalette& palette, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {200, 27}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Tile {
        bool chip;
        app::TempTone tone;
        QColor from;
        QColor to;
        Motion change{1};
    };
    void animateToModel();
    QColor toneColor(app::TempTone tone) const;
    QColor shown(const Tile& tile) const;

    app::FanModel& model_;
    const TempPalette& palette_;
    Tile tiles_[2];
};

}  // namespace ventoria::ui
