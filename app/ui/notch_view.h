#pragma once

#include <QLabel>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>
#include <functional>

#include "animation.h"
#include "controls/eliding_label.h"
#include "controls/fan_glyph.h"
#include "controls/level_bar.h"
#include "controls/pulse_dot.h"
#include "motion.h"
#include "notch_state.h"
#include "temp_grid.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// The notch panel's content: a black shape hanging from the camera housing. Closed, a bar
// with the fan and the chip temperature; open, the preset, the level, the temperatures, the
// four presets and two links. Always dark.
class NotchView : public QWidget {
    Q_OBJECT
  public:
    NotchView(app::FanModel& model, NotchState& state, std::function<void()> onQuit,
              QWidget* parent = nullptr);

    // How far open the shape is drawn, 0 to 1; springs between the two.
    double openness() const { return openness_.value(); }
    QRectF contentRect() const;
    QRectF headerRect() const;
    QString chipText() const;
    QColor chipColor() const { return chipColor_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void makeBody();
    QLayout* makeHeading();
    QLayout* makeLinks();
    void followState();
    void render();
    void layoutChildren();
    const QPixmap& shadow(const QPainterPath& shape, double t);

    app::FanModel& model_;
    NotchState& state_;
    std::function<void()> onQuit_;
    Motion openness_;
    FanGlyph* glyph_;
    PulseDot* pulse_;
    QColor chipColor_;
    QColor chipFrom_;
    QColor chipTo_;
    Motion chipChange_{1};
    QWidget* body_;
    QLabel* presetName_;
    ElidingLabel* presetDetail_;
    LevelBar* levelBar_;
    QWidget* presetRow_;
    QPixmap shadow_;
    QPainterPath shadowShape_;
    double shadowOpenness_ = -1;
};

}  // namespace ventoria::ui
