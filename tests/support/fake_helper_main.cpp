// A helper of another version, for testing replacement: it answers the version with
// $FAKE_HELPER_VERSION (default "2") and accepts everything else without doing anything.

#include <asio/io_context.hpp>
#include <asio/signal_set.hpp>
#include <cstdlib>

#include "ventoria/ipc/listener.h"
#include "ventoria/ipc/protocol.h"

namespace {

using namespace ventoria::ipc;

class OtherVersion final : public FanHelperProtocol, public ConnectionDelegate {
  public:
    void handle(const Requester&, Version, Respond<Version> reply) override {
        const char* version = std::getenv("FAKE_HELPER_VERSION");
        reply(version ? version : "2");
    }
    void handle(const Requester&, SetFraction, Respond<SetFraction> reply) override {
        reply(std::nullopt);
    }
    void handle(const Requester&, SetSmart, Respond<SetSmart> reply) override {
        reply(std::nullopt);
    }
    void handle(const Requester&, SmartStatus, Respond<SmartStatus> reply) override {
        reply(std::nullopt);
    }
    void handle(const Requester&, SetAuto, Respond<SetAuto> reply) override { reply(std::nullopt); }
    void connectionAccepted(ClientId) override {}
    void connectionInvalidated(ClientId) override {}
};

}  // namespace

int main() {
    asio::io_context io;
    OtherVersion helper;
    Listener listener(io, helper, helper, [](auto) { return true; });
    listener.start(socketPath());
    asio::signal_set signals(io, SIGTERM, SIGINT);
    signals.async_wait([&](const asio::error_code&, int) {
        listener.stop();
        io.stop();
    });
    io.run();
    return 0;
}
