#include "ventoria/app/cancel_token.h"

namespace ventoria::app {

void CancelToken::cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    auto callbacks = std::move(callbacks_);
    for (auto& [handle, callback] : callbacks) callback();
}

int CancelToken::onCancel(std::function<void()> callback) {
    if (cancelled_) {
        callback();
        return -1;
    }
    callbacks_.emplace(next_, std::move(callback));
    return next_++;
}

}  // namespace ventoria::app
