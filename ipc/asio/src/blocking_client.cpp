#include "ventoria/ipc/blocking_client.h"

#include <asio/write.hpp>

namespace ventoria::ipc {
namespace {

const char* kNoAnswer = "the helper did not answer in time";

}  // namespace

BlockingClient::BlockingClient(const std::filesystem::path& path, std::chrono::milliseconds timeout)
    : socket_(io_), timeout_(timeout) {
    asio::error_code error;
    socket_.async_connect(asio::local::stream_protocol::endpoint(path.string()),
                          [&error](const asio::error_code& outcome) { error = outcome; });
    if (!finish(std::chrono::steady_clock::now() + timeout_)) throw ConnectionError(kNoAnswer);
    if (error) {
        throw ConnectionError("cannot reach the helper at " + path.string() + ": " +
                              error.message());
    }
}

bool BlockingClient::finish(std::chrono::steady_clock::time_point deadline) {
    io_.restart();
    io_.run_until(deadline);
    if (io_.stopped()) return true;  // nothing left to do: the operation completed
    asio::error_code ignored;
    socket_.close(ignored);
    io_.restart();
    io_.run();  // lets the abandoned operation's handler see its cancellation
    return false;
}

Reply BlockingClient::call(Message message) {
    Request request{nextId_++, std::move(message)};
    auto deadline = std::chrono::steady_clock::now() + timeout_;
    auto bytes = frame(encodeRequest(request));
    asio::error_code error;
    asio::async_write(socket_, asio::buffer(bytes),
                      [&error](const asio::error_code& outcome, std::size_t) { error = outcome; });
    if (!finish(deadline)) throw ConnectionError(kNoAnswer);
    if (error) throw ConnectionError("the helper closed the connection: " + error.message());
    for (;;) {
        while (auto payload = reader_.next()) {
            auto reply = decodeReply(*payload);
            if (!reply) throw ConnectionError("the helper sent a reply that makes no sense");
            if (reply->id == request.id) return *reply;
        }
        std::uint8_t buffer[4096];
        std::size_t count = 0;
        socket_.async_read_some(asio::buffer(buffer),
                                [&](const asio::error_code& outcome, std::size_t read) {
                                    error = outcome;
                                    count = read;
                                });
        if (!finish(deadline)) throw ConnectionError(kNoAnswer);
        if (error) throw ConnectionError("the helper closed the connection: " + error.message());
        if (!reader_.feed(std::span(buffer, count))) {
            throw ConnectionError("the helper sent a broken frame");
        }
    }
}

}  // namespace ventoria::ipc
