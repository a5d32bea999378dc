#pragma once
// One connection to the helper for command-line use: each call sends a request and waits for
// its reply.

#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/messages.h"

namespace ventoria::ipc {

// The helper cannot be reached, or the connection broke.
class ConnectionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class BlockingClient {
  public:
    // Connects to the helper's socket. Throws ConnectionError.
    explicit BlockingClient(const std::filesystem::path& path);

    // Sends `request` (its id is assigned here) and returns the reply's value. Throws
    // ConnectionError.
    std::optional<std::string> call(Request request);

  private:
    asio::io_context io_;
    asio::local::stream_protocol::socket socket_;
    FrameReader reader_;
    std::uint64_t nextId_ = 1;
};

}  // namespace ventoria::ipc
