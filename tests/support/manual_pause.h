#pragma once
// A single-shot timer the test fires: it keeps every pause it was started with, so a back-off
// is checked at its exact lengths and no test waits for one to pass.

#include <chrono>
#include <functional>
#include <memory>
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

    // A timer to give a component that owns its timers: it forwards to this pause.
    std::unique_ptr<app::OneShotTimer> handle() { return std::make_unique<Handle>(*this); }

    bool pending() const { return static_cast<bool>(fire_); }
    // The pause has passed.
    void elapse() {
        if (auto fire = std::exchange(fire_, nullptr)) fire();
    }

    std::vector<std::chrono::milliseconds> started;

  private:
    class Handle final : public app::OneShotTimer {
      public:
        explicit Handle(ManualPause& pause) : pause_(pause) {}
        void start(std::chrono::milliseconds after, std::function<void()> fire) override {
            pause_.start(after, std::move(fire));
        }
        void stop() override { pause_.stop(); }

      private:
        ManualPause& pause_;
    };

    std::function<void()> fire_;
};

}  // namespace ventoria::test
