#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

#include "controls/decorations.h"
#include "controls/eliding_label.h"
#include "controls/fan_glyph.h"
#include "controls/hairline.h"
#include "controls/level_bar.h"
#include "controls/menu_row.h"
#include "controls/rounded_tile.h"
#include "controls/toggle_switch.h"
#include "preset_tile.h"
#include "theme.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// The object name of a preset's tile, "tile-" and the preset's raw value.
QString tileName(app::Preset preset);

// The popover's content: a header with the fans' state, the level bar, the four preset
// tiles, "Show in notch", "Edit Presets…" and "Quit Ventoria". It follows the desktop's light
// or dark appearance and changes the model only through its operations.
class MenuPopoverView : public QWidget {
    Q_OBJECT
  public:
    MenuPopoverView(app::FanModel& model, std::function<void()> onEditPresets,
                    std::function<void()> onQuit, QWidget* parent = nullptr);

    void setDark(bool dark);
    bool dark() const { return dark_; }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    QWidget* makeHeader();
    QWidget* makeTiles();
    QLayout* makeNotchRow();
    QWidget* makeMenuRows(std::function<void()> onEditPresets, std::function<void()> onQuit);
    void render();
    void applyTheme();

    app::FanModel& model_;
    bool dark_ = false;
    bool followDesktop_ = true;
    PopoverTheme theme_;
    QWidget* header_;
    RoundedTile* glyphTile_;
    FanGlyph* glyph_;
    QLabel* title_;
    ElidingLabel* subtitle_;
    QLabel* levelText_;
    LevelBar* levelBar_;
    QWidget* tiles_;
    Hairline* divider_;
    QLabel* notchLabel_;
    QLabel* notchNote_;
    ToggleSwitch* notchSwitch_;
    MenuRow* editRow_;
    MenuRow* settingsRow_;
    MenuRow* quitRow_;
};

}  // namespace ventoria::ui
