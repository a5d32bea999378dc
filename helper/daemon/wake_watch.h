#pragma once
// Word that the machine has woken from sleep. A wake may have cleared every fan's manual mode
// (the SMC's, or a driver's reloaded by a sleep recipe); the helper re-asserts at once instead
// of at its next tick.

#include <asio/io_context.hpp>
#include <functional>
#include <memory>

namespace ventoria::helper {

class WakeWatch {
  public:
    // Calls `woke` on `io`'s thread after each wake. Where the system cannot say (no system
    // bus, no logind), it never calls: the tick re-asserts all the same, only later.
    WakeWatch(asio::io_context& io, std::function<void()> woke);
    ~WakeWatch();
    WakeWatch(const WakeWatch&) = delete;
    WakeWatch& operator=(const WakeWatch&) = delete;

    // The system said it will tell of wakes.
    bool watching() const;

  private:
    struct System;
    std::unique_ptr<System> system_;
};

}  // namespace ventoria::helper
