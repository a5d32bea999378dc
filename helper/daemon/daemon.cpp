#include "daemon.h"

#include <asio/executor_work_guard.hpp>
#include <asio/signal_set.hpp>
#include <csignal>
#include <cstdlib>
#include <future>
#include <iostream>
#include <string>
#include <thread>

#include "signals.h"
#include "ventoria/helper/admission.h"
#include "ventoria/helper/helper_service.h"
#include "ventoria/ipc/listener.h"
#include "ventoria/ipc/protocol.h"
#include "ventoria/platform/activated_socket.h"
#include "ventoria/platform/thread_name.h"
#include "wake_watch.h"

namespace ventoria::helper {
namespace {

// What the queue gets beyond the hand-back's bound to report an outcome it reached just in
// time; past it the process ends even while an SMC call is still under way.
constexpr std::chrono::milliseconds kReportGrace{250};

enum ExitStatus { kHandedBack = 0, kCannotListen = 1, kNotHandedBack = 3 };

// The serial queue's own thread: slow SMC work never blocks I/O.
class QueueThread {
  public:
    QueueThread()
        : work_(asio::make_work_guard(context_)), thread_([this] {
              // Linux holds 15 characters: the label without its reverse-DNS prefix.
              std::string label = kQueueLabel;
              platform::nameThisThread(label.substr(label.find("helper")));
              context_.run();
          }) {}

    SerialQueue queue() { return asio::make_strand(context_); }
    // Called only once the queue holds nothing more to do: one stuck in an SMC call is left
    // running, for the process to end around it.
    void end() {
        work_.reset();
        context_.stop();
        thread_.join();
    }

  private:
    asio::io_context context_{1};
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    std::thread thread_;
};

// Serves until a stop signal, then hands the fans back within the bound. The outcome, or
// nothing when the queue is still in an SMC call past the bound and its grace.
std::optional<bool> serveUntilStopped(asio::io_context& io, asio::signal_set& signals,
                                      ipc::Listener& listener, HelperService& service) {
    std::promise<bool> handedBack;
    auto outcome = handedBack.get_future();
    std::chrono::steady_clock::time_point deadline;
    signals.async_wait([&](const asio::error_code& error, int) {
        if (error) return;
        deadline = std::chrono::steady_clock::now() + kHandBackBound + kReportGrace;
        listener.stop();  // no new connection, no further request read
        service.stop([&handedBack](bool settled) { handedBack.set_value(settled); });
        io.stop();
    });
    io.run();
    if (outcome.wait_until(deadline) != std::future_status::ready) return std::nullopt;
    return outcome.get();
}

}  // namespace

int runDaemon() {
    for (int signal : kIgnoredSignals) std::signal(signal, SIG_IGN);

    asio::io_context io(1);  // connections and messages
    // Taken at once: a stop signal that comes while the helper is still starting waits here,
    // instead of ending the process with whatever a predecessor left forced.
    asio::signal_set signals(io);
    for (int signal : kStopSignals) signals.add(signal);
    QueueThread queueThread;
    auto queue = queueThread.queue();
    auto service =
        HelperService::create(queue, std::make_unique<SteadyControlTimer>(queue, kTickPeriod));
    ipc::Listener listener(io, *service, *service,
                           [](std::optional<uid_t> peer) { return mayCommandFans(peer); });
    try {
        if (auto socket = platform::activatedSocket()) {
            listener.adopt(*socket);  // systemd's, at the same path
        } else {
            listener.start(ipc::socketPath());
        }
    } catch (const std::exception& error) {
        std::cerr << "VentoriaHelper: " << error.what() << "\n";
        queueThread.end();
        return kCannotListen;
    }
    service->recoverFans();
    WakeWatch wakes(io, [&service] { service->machineWoke(); });

    auto handedBack = serveUntilStopped(io, signals, listener, *service);
    if (!handedBack) {
        // The queue is stuck in an SMC call past the bound: leave it there.
        std::cerr << "VentoriaHelper: the fans could not be handed back in time\n";
        std::_Exit(kNotHandedBack);
    }
    queueThread.end();
    return *handedBack ? kHandedBack : kNotHandedBack;
}

int handBackAfterDaemon() {
    asio::io_context smc(1);
    auto queue = asio::make_strand(smc);
    auto service =
        HelperService::create(queue, std::make_unique<SteadyControlTimer>(queue, kTickPeriod));
    bool settled = false;
    service->stop([&settled](bool done) { settled = done; });
    smc.run();
    if (!settled) std::cerr << "VentoriaHelper: the fans could not be handed back in time\n";
    return settled ? kHandedBack : kNotHandedBack;
}

}  // namespace ventoria::helper
