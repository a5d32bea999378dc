#pragma once
// A single-shot timer the test fires: it keeps every pause it was started with, so a back-off
// is checked at its exact lengths and no test waits for one to pass.

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "ventoria/app/one_shot_timer.h"

namespace ventoria::test {

class ManualPause final : public app::OneShotTimer {
  public:
    void start(std::chrono::milliseconds after, std::function<void()> fire) override {
        started.push_back(after);
        fire_ = std::move(fire);
    }
    void stop() override { fire_ = nullptr; }

    bool pending() const { return static_cast<bool>(fire_); }
    // The pause has passed.
    void elapse() {
        if (auto fire = std::exchange(fire_, nullptr)) fire();
    }

    std::vector<std::chrono::milliseconds> started;

  private:
    std::function<void()> fire_;
};

}  // namespace ventoria::test
