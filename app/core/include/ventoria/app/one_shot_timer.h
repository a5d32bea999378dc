#pragma once
// A single-shot timer its owner is given: the application's runs on Qt's event loop; a test's
// fires when the test says, so that every pause is checked at the exact length it was asked for.

#include <chrono>
#include <functional>
#include <memory>

namespace ventoria::app {

class OneShotTimer {
  public:
    virtual ~OneShotTimer() = default;

    // Runs `fire` once, `after` from now, unless stopped or started anew first.
    virtual void start(std::chrono::milliseconds after, std::function<void()> fire) = 0;
    virtual void stop() = 0;
};

std::unique_ptr<OneShotTimer> eventLoopTimer();

}  // namespace ventoria::app
