#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "notch_displays.h"
#include "notch_panel.h"
#include "notch_state.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// Finds the notched screen, sizes and places the panel, opens and collapses it in step with
// the model, and follows screens being attached, detached or rearranged.
class NotchController : public QObject {
    Q_OBJECT
  public:
    NotchController(app::FanModel& model, std::unique_ptr<NotchDisplays> displays,
                    std::function<void()> onQuit);

    // The one re-evaluation: on start, on every model change it follows, on screen changes.
    void update();

    NotchState& state() { return state_; }
    NotchPanel* panel() const { return panel_.get(); }
    bool collapsePending() const { return collapse_.isActive(); }

    static constexpr std::chrono::milliseconds kCollapseDelay{450};
    static constexpr Spring kOpenSpring{0.45, 0.72};
    static constexpr Spring kCloseSpring{0.4, 0.9};

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void position(bool open);

    app::FanModel& model_;
    std::unique_ptr<NotchDisplays> displays_;
    std::function<void()> onQuit_;
    NotchState state_;
    std::unique_ptr<NotchPanel> panel_;
    std::optional<NotchScreen> screen_;
    QTimer collapse_;
};

}  // namespace ventoria::ui
