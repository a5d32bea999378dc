#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "notch_state.h"
#include "notch_view.h"

namespace ventoria::ui {

// The borderless panel over the camera housing; it may cover the menu bar.
class NotchPanel : public QWidget {
    Q_OBJECT
  public:
    NotchPanel(app::FanModel& model, NotchState& state, std::function<void()> onQuit);
    NotchView* view() const { return view_; }

  protected:
    bool event(QEvent* event) override;

  private:
    app::FanModel& model_;
    NotchView* view_;
    std::shared_ptr<void> clicksElsewhere_;  // on a Mac, clicks in other applications
};

}  // namespace ventoria::ui
