#pragma once
// The Mac's screens, as NotchDisplays. A header of its own so that moc sees the class: the
// implementation is Objective-C++.

#include "notch_displays.h"

namespace ventoria::ui {

class MacNotchDisplays final : public NotchDisplays {
    Q_OBJECT
  public:
    MacNotchDisplays();
    ~MacNotchDisplays() override;
    std::optional<NotchScreen> notchScreen() override;

  private:
    // The screen-parameters observer token; the notification center keeps it until removed.
    void* observer_;
};

}  // namespace ventoria::ui
