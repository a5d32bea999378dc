#include "daemon.h"

#include <pthread.h>

#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>
#include <asio/signal_set.hpp>
#include <csignal>
#include <iostream>
#include <string>
#include <thread>

#include "ventoria/helper/helper_service.h"
#include "ventoria/ipc/listener.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::helper {
namespace {

// Long enough for the three stages of handing back on any Mac, short enough that launchd
// does not lose patience with a stopping job.
constexpr std::chrono::seconds kHandBackBound{3};

}  // namespace

int runDaemon() {
    std::signal(SIGPIPE, SIG_IGN);  // a client that vanishes mid-reply is not our death

    asio::io_context io(1);   // connections and messages
    asio::io_context smc(1);  // the serial queue's own thread: slow SMC work never blocks I/O
    auto work = asio::make_work_guard(smc);
    std::thread queueThread([&smc] {
        // Thread names hold 15 characters: the label without its reverse-DNS prefix.
        std::string label = kQueueLabel;
        pthread_setname_np(pthread_self(), label.substr(label.find("helper")).c_str());
        smc.run();
    });

    auto queue = asio::make_strand(smc);
    auto service =
        HelperService::create(queue, std::make_unique<SteadyControlTimer>(queue, kTickPeriod));
    ipc::Listener listener(io, *service, *service);
    int status = 0;
    try {
        listener.start(ipc::socketPath());
    } catch (const std::exception& error) {
        std::cerr << "VentoriaHelper: " << error.what() << "\n";
        status = 1;
    }

    asio::signal_set signals(io, SIGTERM, SIGINT);
    // The loop runs until the hand-back is done, not merely until the last socket closes.
    auto running = asio::make_work_guard(io);
    if (status == 0) {
        signals.async_wait([&](const asio::error_code& error, int) {
            if (error) return;
            listener.stop();
            service->handBack(kHandBackBound,
                              [&io](bool) { asio::post(io, [&io] { io.stop(); }); });
        });
        io.run();
    }

    work.reset();
    smc.stop();
    queueThread.join();
    return status;
}

}  // namespace ventoria::helper
