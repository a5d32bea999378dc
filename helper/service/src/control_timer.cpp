#include "ventoria/helper/control_timer.h"

#include <asio/bind_executor.hpp>

namespace ventoria::helper {

std::chrono::steady_clock::time_point nextDeadline(std::chrono::steady_clock::time_point deadline,
                                                   std::chrono::steady_clock::time_point now,
                                                   std::chrono::steady_clock::duration period) {
    auto next = deadline + period;
    if (next <= now) next += (now - next) / period * period;
    return next;
}

SteadyControlTimer::SteadyControlTimer(SerialQueue queue, std::chrono::milliseconds period)
    : timer_(queue), period_(period) {}

void SteadyControlTimer::start(std::function<void()> tick) {
    tick_ = std::move(tick);
    ++generation_;
    timer_.expires_at(std::chrono::steady_clock::now());
    arm();
}

void SteadyControlTimer::cancel() {
    ++generation_;
    timer_.cancel();
    tick_ = nullptr;
}

void SteadyControlTimer::arm() {
    timer_.async_wait([this, generation = generation_](const asio::error_code& error) {
        if (error || generation != generation_) return;
        tick_();
        if (generation != generation_) return;  // the tick cancelled the loop
        timer_.expires_at(nextDeadline(timer_.expiry(), std::chrono::steady_clock::now(), period_));
        arm();
    });
}

}  // namespace ventoria::helper
