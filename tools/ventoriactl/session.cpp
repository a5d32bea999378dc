#include "session.h"

#include <csignal>

namespace ventoria::ctl {

QEventLoop* Session::running_ = nullptr;

Session::Session() {
    static int argc = 1;
    static char name[] = "ventoriactl";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QCoreApplication>(argc, argv);
    // Only the first signal ends a wait: signals often come twice (to the process and to its
    // group), and the hand-back that follows an interruption, bounded as it is, runs to its end.
    watcher_ = std::make_unique<app::SignalWatcher>(std::initializer_list<int>{SIGINT, SIGTERM},
                                                    kInterruptBound);
    QObject::connect(watcher_.get(), &app::SignalWatcher::signalled, [this] {
        if (interrupted_) return;
        interrupted_ = true;
        stop();
    });
}

void Session::run() {
    QEventLoop loop;
    running_ = &loop;
    loop.exec();
    running_ = nullptr;
}

void Session::stop() {
    if (running_) running_->quit();
}

}  // namespace ventoria::ctl
