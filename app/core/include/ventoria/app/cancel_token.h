#pragma once

#include <functional>
#include <map>

#include "ventoria/app/helper_error.h"

namespace ventoria::app {

// Tells a running task that a newer choice superseded it. Checked where the task may still
// stop; a wait in progress ends at once.
class CancelToken {
  public:
    void cancel();
    bool cancelled() const { return cancelled_; }
    void throwIfCancelled() const {
        if (cancelled_) throw Cancelled();
    }

    // Runs `callback` on cancellation (at once when already cancelled). Returns a handle for
    // forget().
    int onCancel(std::function<void()> callback);
    void forget(int handle) { callbacks_.erase(handle); }

  private:
    bool cancelled_ = false;
    int next_ = 0;
    std::map<int, std::function<void()>> callbacks_;
};

}  // namespace ventoria::app
