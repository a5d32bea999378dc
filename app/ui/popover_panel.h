#pragma once

#include <QWidget>
#include <functional>

#include "menu_popover_view.h"

namespace ventoria::ui {

// The popover's window: frameless, rounded, closing on any click outside it.
class PopoverPanel : public QWidget {
    Q_OBJECT
  public:
    PopoverPanel(app::FanModel& model, std::function<void()> onEditPresets,
                 std::function<void()> onQuit, bool popup);
    MenuPopoverView* view() const { return view_; }
    // Places the panel under `anchor` (the icon), inside `available`.
    void placeUnder(const QRect& anchor, const QRect& available);

  signals:
    void closed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    MenuPopoverView* view_;
};

}  // namespace ventoria::ui
