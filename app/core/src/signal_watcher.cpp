#include "ventoria/app/signal_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace ventoria::app {
namespace {

int wakePipe[2] = {-1, -1};

void wake(int) {
    (void)!write(wakePipe[1], "s", 1);
}

}  // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> watched, QObject* parent)
    : QObject(parent) {
    if (wakePipe[0] < 0 && pipe(wakePipe) != 0) return;
    fcntl(wakePipe[0], F_SETFL, O_NONBLOCK);
    fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);  // a burst of signals never blocks a handler
    notifier_ = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char taken[16];
        while (read(wakePipe[0], taken, sizeof taken) > 0) {
        }
        emit signalled();
    });
    for (int signal : watched) std::signal(signal, wake);
}

}  // namespace ventoria::app
