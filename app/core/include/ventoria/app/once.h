#pragma once

#include <mutex>

namespace ventoria::app {

// Lets exactly one of a request's completion paths (its reply, its connection error) finish
// it, whichever comes first and on whatever thread.
class Once {
  public:
    // True for the first caller only.
    bool claim() {
        std::lock_guard lock(mutex_);
        if (done_) return false;
        done_ = true;
        return true;
    }

  private:
    std::mutex mutex_;
    bool done_ = false;
};

}  // namespace ventoria::app
