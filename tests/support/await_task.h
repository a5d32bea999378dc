#pragma once
// Runs the event loop until a task has finished and hands back its result or rethrows its
// exception. (QCoro 0.8's waitFor never returns from a task that throws.)

#include <QCoroTask>
#include <QEventLoop>
#include <exception>
#include <optional>
#include <type_traits>

namespace ventoria::test {

template <typename T>
T awaitTask(QCoro::Task<T>& task) {
    QEventLoop loop;
    bool finished = false;
    std::exception_ptr error;
    using Stored = std::conditional_t<std::is_void_v<T>, bool, T>;
    std::optional<Stored> result;
    // Everything the coroutine uses comes in as parameters: a lambda's captures would die
    // with the temporary lambda while the coroutine is still suspended.
    [](QCoro::Task<T>& awaited, std::optional<Stored>& value, std::exception_ptr& failure,
       bool& done, QEventLoop& events) -> QCoro::Task<> {
        try {
            if constexpr (std::is_void_v<T>) {
                co_await awaited;
                value = true;
            } else {
                value = co_await awaited;
            }
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        events.quit();
    }(task, result, error, finished, loop);
    if (!finished) loop.exec();
    if (error) std::rethrow_exception(error);
    if constexpr (!std::is_void_v<T>) return std::move(*result);
}

}  // namespace ventoria::test
