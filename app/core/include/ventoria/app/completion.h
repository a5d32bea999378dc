#pragma once
// An awaitable value that a callback delivers: the bridge from reply blocks and timers to
// coroutines. The first of resolve() and fail() wins (a Once guards it); the awaiting
// coroutine resumes on the main thread's event loop, never inside the callback, so a reply
// handler can never find its connection torn down under it.

#include <QCoreApplication>
#include <QMetaObject>
#include <coroutine>
#include <exception>
#include <memory>
#include <optional>

#include "ventoria/app/once.h"

namespace ventoria::app {

template <typename T>
class Completion {
  public:
    Completion() : state_(std::make_shared<State>()) {}

    bool resolve(T value) {
        if (!state_->once.claim()) return false;
        state_->value = std::move(value);
        wake(state_);
        return true;
    }
    bool fail(std::exception_ptr error) {
        if (!state_->once.claim()) return false;
        state_->error = std::move(error);
        wake(state_);
        return true;
    }

    auto operator co_await() const {
        struct Awaiter {
            std::shared_ptr<typename Completion::State> state;
            bool await_ready() const { return state->ready; }
            bool await_suspend(std::coroutine_handle<> waiter) {
                state->waiter = waiter;
                return !state->ready;
            }
            T await_resume() {
                if (state->error) std::rethrow_exception(state->error);
                return std::move(*state->value);
            }
        };
        return Awaiter{state_};
    }

  private:
    struct State {
        Once once;
        bool ready = false;
        std::optional<T> value;
        std::exception_ptr error;
        std::coroutine_handle<> waiter;
    };

    static void wake(const std::shared_ptr<State>& state) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [state] {
                state->ready = true;
                if (auto waiter = std::exchange(state->waiter, {})) waiter.resume();
            },
            Qt::QueuedConnection);
    }

    std::shared_ptr<State> state_;
};

}  // namespace ventoria::app
