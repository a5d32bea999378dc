#pragma once

#include <QAbstractButton>

#include "animation.h"
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
    void follow();

    app::FanModel& model_;
    app::Preset preset_;
    PopoverTheme theme_;
    Motion selected_;
};

// A full-width row that reads like a menu item: highlighted under the pointer.
class MenuRow : public QAbstractButton {
    Q_OBJECT
  public:
    MenuRow(const QString& title, const QString& hint, QWidget* parent = nullptr);
    void setTheme(const PopoverTheme& theme);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QString hint_;
    PopoverTheme theme_;
    bool hovered_ = false;
};

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
