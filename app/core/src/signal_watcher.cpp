#include "ventoria/app/signal_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace ventoria::app {
namespace {

int wakePipe[2] = {-1, -1};
unsigned exitAfterSeconds = 0;
volatile std::sig_atomic_t firstSignal = 0;

void wake(int signal) {
    (void)!write(wakePipe[1], "s", 1);
    if (firstSignal == 0) {
        firstSignal = signal;
        alarm(exitAfterSeconds);
    }
}

// The deadline of the first signal: whatever the process is stuck in, it ends here.
void giveUp(int) {
    _exit(128 + firstSignal);
}

}  // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> watched, std::chrono::seconds exitBound,
                             QObject* parent)
    : QObject(parent) {
    exitAfterSeconds =
        static_cast<unsigned>(std::max<std::chrono::seconds::rep>(exitBound.count(), 1));
    std::signal(SIGALRM, giveUp);
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
