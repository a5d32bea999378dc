#include "ventoria/ipc/blocking_client.h"

#include <asio/read.hpp>
#include <asio/write.hpp>

namespace ventoria::ipc {

BlockingClient::BlockingClient(const std::filesystem::path& path) : socket_(io_) {
    asio::error_code error;
    socket_.connect(asio::local::stream_protocol::endpoint(path.string()), error);
    if (error) {
        throw ConnectionError("cannot reach the helper at " + path.string() + ": " +
                              error.message());
    }
}

std::optional<std::string> BlockingClient::call(Request request) {
    request.id = nextId_++;
    asio::error_code error;
    asio::write(socket_, asio::buffer(frame(encodeRequest(request))), error);
    if (error) throw ConnectionError("the helper closed the connection: " + error.message());
    for (;;) {
        while (auto payload = reader_.next()) {
            auto reply = decodeReply(*payload);
            if (!reply) throw ConnectionError("the helper sent a reply that makes no sense");
            if (reply->id == request.id) return reply->value;
        }
        std::uint8_t buffer[4096];
        auto count = socket_.read_some(asio::buffer(buffer), error);
        if (error) throw ConnectionError("the helper closed the connection: " + error.message());
        if (!reader_.feed(std::span(buffer, count))) {
            throw ConnectionError("the helper sent a broken frame");
        }
    }
}

}  // namespace ventoria::ipc
