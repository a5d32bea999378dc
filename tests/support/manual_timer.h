#pragma once

#include <functional>

#include "ventoria/helper/control_timer.h"

namespace ventoria::test {

// A control loop that ticks when the test (or benchmark) says so.
class ManualTimer final : public helper::ControlTimer {
  public:
    void start(std::function<void()> tick) override { tick_ = std::move(tick); }
    void cancel() override { tick_ = nullptr; }
    bool running() const { return tick_ != nullptr; }
    void fire() {
        if (tick_) tick_();
    }

  private:
    std::function<void()> tick_;
};

}  // namespace ventoria::test
