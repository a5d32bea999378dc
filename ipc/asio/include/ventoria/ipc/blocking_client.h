#pragma once
// One connection to the helper for command-line use: each call sends a request and waits for
// its reply, never longer than a timeout, so a stuck helper reads as an unreachable one.

#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/messages.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::ipc {

// The helper cannot be reached, did not answer in time, or the connection broke.
class ConnectionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class BlockingClient {
  public:
    // Connects to the helper's socket. Throws ConnectionError.
    explicit BlockingClient(const std::filesystem::path& path,
                            std::chrono::milliseconds timeout = kHelperTimeout);

    // Sends `message` under the next id and returns its reply. Throws ConnectionError.
    Reply call(Message message);

  private:
    // Runs the pending operation to its end; past `deadline` it is abandoned and the
    // connection closed. False when it timed out.
    bool finish(std::chrono::steady_clock::time_point deadline);

    asio::io_context io_;
    asio::local::stream_protocol::socket socket_;
    std::chrono::milliseconds timeout_;
    FrameReader reader_;
    std::uint64_t nextId_ = 1;
};

}  // namespace ventoria::ipc
