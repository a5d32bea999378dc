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
#include "ventoria/platform/thread_name.h"

namespace ventoria::helper {
namespace {

// Long enough for the three stages of handing back on any Mac, short enough that launchd
// does not lose patience with a stopping job. It holds however slow the SMC is: at the bound
// the process ends even while an SMC call is still under way.
constexpr std::chrono::seconds kHandBackBound{3};
// What the queue gets beyond the bound to report an outcome it reached just in time.
constexpr std::chrono::milliseconds kReportGrace{250};

enum ExitStatus { kHandedBack = 0, kCannotListen = 1, kNotHandedBack = 3 };

}  // namespace

int runDaemon() {
    for (int signal : kIgnoredSignals) std::signal(signal, SIG_IGN);

    asio::io_context io(1);  // connections and messages
    // Taken at once: a stop signal that comes while the helper is still starting waits here,
    // instead of ending the process with whatever a predecessor left forced.
    asio::signal_set signals(io);
    for (int signal : kStopSignals) signals.add(signal);
    asio::io_context smc(1);  // the serial queue's own thread: slow SMC work never blocks I/O
    auto work = asio::make_work_guard(smc);
    std::thread queueThread([&smc] {
        // Linux holds 15 characters: the label without its reverse-DNS prefix.
        std::string label = kQueueLabel;
        platform::nameThisThread(label.substr(label.find("helper")));
        smc.run();
    });
    auto endQueue = [&] {
        work.reset();
        smc.stop();
        queueThread.join();
    };

    auto queue = asio::make_strand(smc);
    auto service =
        HelperService::create(queue, std::make_unique<SteadyControlTimer>(queue, kTickPeriod));
    ipc::Listener listener(io, *service, *service,
                           [](std::optional<uid_t> peer) { return mayCommandFans(peer); });
    try {
        listener.start(ipc::socketPath());
    } catch (const std::exception& error) {
        std::cerr << "VentoriaHelper: " << error.what() << "\n";
        endQueue();
        return kCannotListen;
    }
    service->recoverFans();

    std::promise<bool> handedBack;
    auto outcome = handedBack.get_future();
    std::chrono::steady_clock::time_point deadline;
    signals.async_wait([&](const asio::error_code& error, int) {
        if (error) return;
        deadline = std::chrono::steady_clock::now() + kHandBackBound + kReportGrace;
        listener.stop();  // no new connection, no further request read
        service->stop(kHandBackBound,
                      [&handedBack](bool settled) { handedBack.set_value(settled); });
        io.stop();
    });
    io.run();

    if (outcome.wait_until(deadline) != std::future_status::ready) {
        // The queue is stuck in an SMC call past the bound: leave it there.
        std::cerr << "VentoriaHelper: the fans could not be handed back in time\n";
        std::_Exit(kNotHandedBack);
    }
    int status = outcome.get() ? kHandedBack : kNotHandedBack;
    endQueue();
    return status;
}

}  // namespace ventoria::helper
