#pragma once

#include <QImage>
#include <QObject>
#include <QSystemTrayIcon>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "popover_panel.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// The menu-bar item: a small fan whose lit blades show the fan level and which turns red in
// a Smart safety boost. A click opens the popover under it. While the notch shows the
// interface, the item and its popover step aside. Without a tray on the desktop, the popover
// is a window of its own instead.
class StatusItemController : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // How soon after the popover closed on an outside click the icon's own click still counts
    // as that click, not as a new one.
    static constexpr std::chrono::milliseconds kSameClick{250};

    StatusItemController(app::FanModel& model, std::function<void()> onQuit,
                         Clock clock = &std::chrono::steady_clock::now);

    void toggle();
    bool popoverOpen() const;
    void renderItem();

    PopoverPanel* popover() const { return popover_.get(); }
    bool highlighted() const { return highlighted_; }
    bool itemVisible() const { return itemVisible_; }
    const QImage& icon() const { return icon_; }
    bool safetyIcon() const { return safety_; }

  private:
    QRect anchor() const;

    app::FanModel& model_;
    bool tray_;
    std::unique_ptr<QSystemTrayIcon> item_;
    std::unique_ptr<PopoverPanel> popover_;
    QImage icon_;
    int lit_ = -1;
    bool safety_ = false;
    bool dark_ = false;
    QString label_;  // the chip temperature beside the glyph, when the user wants it
    bool highlighted_ = false;
    bool itemVisible_ = false;
    // The icon's click that closed the popover from outside must not reopen it at once.
    Clock clock_;
    std::optional<std::chrono::steady_clock::time_point> closedOutside_;
    bool closingByToggle_ = false;
};

}  // namespace ventoria::ui
