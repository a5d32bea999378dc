#pragma once
// The control loop's clock: it ticks on the service's serial queue, first at once and then
// every period, each deadline counted from the previous one so that the loop never drifts.

#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <asio/strand.hpp>
#include <chrono>
#include <functional>

namespace ventoria::helper {

using SerialQueue = asio::strand<asio::io_context::executor_type>;

class ControlTimer {
  public:
    virtual ~ControlTimer() = default;

    // Calls `tick` on the queue now and then every period until cancel(). Called on the queue.
    virtual void start(std::function<void()> tick) = 0;
    // No tick runs after this returns. Called on the queue.
    virtual void cancel() = 0;
};

// The deadline after `deadline`: one period on, or, when the queue has fallen behind, the
// latest period boundary already passed, so that missed ticks coalesce into one.
std::chrono::steady_clock::time_point nextDeadline(std::chrono::steady_clock::time_point deadline,
                                                   std::chrono::steady_clock::time_point now,
                                                   std::chrono::steady_clock::duration period);

class SteadyControlTimer final : public ControlTimer {
  public:
    SteadyControlTimer(SerialQueue queue, std::chrono::milliseconds period);

    void start(std::function<void()> tick) override;
    void cancel() override;

  private:
    void arm();

    asio::steady_timer timer_;
    std::chrono::milliseconds period_;
    std::function<void()> tick_;
    std::uint64_t generation_ = 0;  // a tick already queued when cancelled must not run
};

}  // namespace ventoria::helper
