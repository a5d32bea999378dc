// One connection of the helper, driven over a real socket pair by a peer that sends the
// input's bytes: the first byte says how the peer then behaves (bit 0: it closes its sending
// side; bit 1: it reads the replies; bit 2: it vanishes at once), the rest is the stream.
// The connection must end, once, with nothing leaked and nothing touched after it is gone.

#include <sys/socket.h>

#include <asio/io_context.hpp>
#include <asio/local/connect_pair.hpp>
#include <asio/write.hpp>
#include <cstdint>

#include "connection.h"

using namespace ventoria::ipc;

namespace {

// Answers everything at once, as the helper answers its version; a fraction above 1 is
// dropped unanswered, as a request is whose client has stopped waiting.
class InstantProtocol : public FanHelperProtocol {
  public:
    void handle(const Requester&, Version, Respond<Version> reply) override { reply("3"); }
    void handle(const Requester&, SetFraction message, Respond<SetFraction> reply) override {
        if (!(message.fraction > 1)) reply(std::nullopt);
    }
    void handle(const Requester&, SetSmart message, Respond<SetSmart> reply) override {
        reply(message.settings.data.empty() ? Outcome("Invalid Smart settings") : std::nullopt);
    }
    void handle(const Requester&, SmartStatus, Respond<SmartStatus> reply) override {
        reply(Bytes{R"({"phase":"idle"})"});
    }
    void handle(const Requester&, SetAuto, Respond<SetAuto> reply) override { reply(std::nullopt); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool halfClose = data[0] & 1, readsReplies = data[0] & 2, vanishes = data[0] & 4;
    InstantProtocol protocol;
    asio::io_context io;
    asio::local::stream_protocol::socket ours(io), peer(io);
    asio::local::connect_pair(ours, peer);
    int endings = 0;
    auto connection =
        std::make_shared<Connection>(std::move(ours), protocol, 1, [&](const auto&) { ++endings; });
    connection->start();

    asio::error_code ignored;
    asio::write(peer, asio::buffer(data + 1, size - 1), ignored);
    if (halfClose) peer.shutdown(asio::socket_base::shutdown_send, ignored);
    if (vanishes) peer.close(ignored);
    std::uint8_t sink[4096];
    for (int round = 0; round < 64 && endings == 0; ++round) {
        if (io.poll() == 0) {
            if (readsReplies && peer.is_open() && peer.available(ignored) > 0) {
                peer.read_some(asio::buffer(sink), ignored);
            } else {
                break;  // nothing more will happen without the peer
            }
        }
        io.restart();
    }
    peer.close(ignored);  // the peer goes in the end, whatever it did before
    while (endings == 0 && io.run_one_for(std::chrono::seconds(1)) > 0) {
    }
    connection->close();
    io.poll();
    if (endings != 1) __builtin_trap();
    return 0;
}
