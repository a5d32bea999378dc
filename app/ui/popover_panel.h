#pragma once

#include <QWidget>
#include <functional>

#include "menu_popover_view.h"

namespace ventoria::ui {

// The popover's window: frameless, rounded, closing on any click outside it. Where there is no
// tray to open it from, it is an ordinary window instead: titled, movable (by its title bar or,
// without a window manager, by its background), centred when it first opens, and saying once
// why it is there.
class PopoverPanel : public QWidget {
    Q_OBJECT
  public:
    PopoverPanel(app::FanModel& model, std::function<void()> onEditPresets,
                 std::function<void()> onQuit, bool popup);
    MenuPopoverView* view() const { return view_; }
    // Places the panel under `anchor` (the icon), inside `available`.
    void placeUnder(const QRect& anchor, const QRect& available);
    // Shows it where it belongs: under `anchor` as a popup; as a window, centred in
    // `available` the first time and where the user left it after that.
    void present(const QRect& anchor, const QRect& available);
    bool popup() const { return popup_; }

  signals:
    void closed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    MenuPopoverView* view_;
    bool popup_;
    bool placed_ = false;
    QWidget* note_ = nullptr;  // why the window is there, until it first closes
    QPoint dragFrom_;
};

}  // namespace ventoria::ui
