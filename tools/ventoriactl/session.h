#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <memory>

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
    bool interrupted() const { return interrupted_; }

  private:
    std::unique_ptr<QCoreApplication> app_;
    std::unique_ptr<app::SignalWatcher> watcher_;
    bool interrupted_ = false;
    static QEventLoop* running_;
};

}  // namespace ventoria::ctl
