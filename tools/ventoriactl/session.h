#pragma once

#include <QCoreApplication>
#include <QCoroTask>
#include <QEventLoop>
#include <chrono>
#include <memory>
#include <optional>

#include "ventoria/app/signal_watcher.h"

namespace ventoria::ctl {

// The Qt application of a command that uses the model or the user's settings, and its waits:
// each runs the event loop until stop(), or until Ctrl-C / SIGTERM.
class Session {
  public:
    // However a command is stuck when Ctrl-C or SIGTERM comes, it ends this long after: the
    // hand-back that follows an interruption takes a couple of the helper's ticks.
    static constexpr std::chrono::seconds kInterruptBound{6};

    Session();

    // Runs events until stop(). Each wait has an event loop of its own, and stop() ends only
    // the one running: a stop is never left queued to cut the next wait short.
    void run();
    static void stop();
    // Runs `task` to its end, or until Ctrl-C / SIGTERM, and then nothing. What the task yields
    // is kept apart from the caller's frame: a task that ends only later, as the command winds
    // down, writes nowhere the caller has left.
    // When nothing came of it, the caller closes what the task waits on (the helper's client)
    // and calls settle(): the task's failure then runs to its end, and nothing is left
    // suspended when the command exits.
    template <typename T>
    std::optional<T> finish(QCoro::Task<T> task) {
        auto result = std::make_shared<std::optional<T>>();
        [](QCoro::Task<T> work, std::shared_ptr<std::optional<T>> into) -> QCoro::Task<> {
            *into = co_await std::move(work);
            stop();
        }(std::move(task), result);
        if (!*result && !interrupted_) run();
        return interrupted_ ? std::nullopt : *result;
    }
    bool interrupted() const { return interrupted_; }
    // Runs what is already queued, and nothing that comes later.
    static void settle() { QCoreApplication::sendPostedEvents(); }

  private:
    std::unique_ptr<QCoreApplication> app_;
    std::unique_ptr<app::SignalWatcher> watcher_;
    bool interrupted_ = false;
    static QEventLoop* running_;
};

}  // namespace ventoria::ctl
