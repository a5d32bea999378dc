// A helper of another version, for testing replacement: it answers the version with
// $FAKE_HELPER_VERSION (default "2") and accepts everything else without doing anything.

#include <asio/io_context.hpp>
#include <asio/signal_set.hpp>
#include <cstdlib>

#include "ventoria/ipc/listener.h"
#include "ventoria/ipc/protocol.h"

namespace {

class OtherVersion final : public ventoria::ipc::FanHelperProtocol,
                           public ventoria::ipc::ConnectionDelegate {
  public:
    void version(Reply reply) override {
        const char* version = std::getenv("FAKE_HELPER_VERSION");
        reply(version ? version : "2");
    }
    void setFraction(double, Reply reply) override { reply(std::nullopt); }
    void setSmart(std::string, Reply reply) override { reply(std::nullopt); }
    void smartStatus(Reply reply) override { reply(std::nullopt); }
    void setAuto(Reply reply) override { reply(std::nullopt); }
    void connectionAccepted() override {}
    void connectionInvalidated() override {}
};

}  // namespace

int main() {
    asio::io_context io;
    OtherVersion helper;
    ventoria::ipc::Listener listener(io, helper, helper, [](auto) { return true; });
    listener.start(ventoria::ipc::socketPath());
    asio::signal_set signals(io, SIGTERM, SIGINT);
    signals.async_wait([&](const asio::error_code&, int) {
        listener.stop();
        io.stop();
    });
    io.run();
    return 0;
}
