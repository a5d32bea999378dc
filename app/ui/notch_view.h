#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QSizeF>
#include <QVariantAnimation>
#include <QWidget>
#include <functional>

#include "animation.h"
#include "eliding_label.h"
#include "fan_glyph.h"
#include "level_bar.h"
#include "temp_grid.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// What the notch controller tells the view: open or closed, and the housing's size.
class NotchState : public QObject {
    Q_OBJECT
  public:
    bool open() const { return open_; }
    QSizeF notchSize() const { return notchSize_; }

    // Opening and closing are springs; hiding resets without animation.
    void setOpen(bool open, std::optional<Spring> spring);
    void setNotchSize(QSizeF size);
    // How the latest change of `open` is to be shown.
    std::optional<Spring> spring() const { return spring_; }

  signals:
    void openChanged();
    void notchSizeChanged();

  private:
    bool open_ = false;
    std::optional<Spring> spring_;
    QSizeF notchSize_{160, 30};
};

// A small pulsing dot of the safety colour. It pulses only while shown.
// How far a pulse has dimmed at `cycle` (0…1 of one pulse): out and back, each half eased in
// and out, so the dot slows at both ends of its swing.
double pulseDim(double cycle);

class PulseDot : public QWidget {
    Q_OBJECT
  public:
    explicit PulseDot(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QVariantAnimation pulse_;
};

// A text link that brightens under the pointer.
class NotchLink : public QAbstractButton {
    Q_OBJECT
  public:
    NotchLink(const QString& title, QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    bool hovered_ = false;
};

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
    QWidget* body() const { return body_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void refresh();
    void layoutChildren();

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
};

}  // namespace ventoria::ui
