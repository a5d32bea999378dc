#pragma once
// The helper's listener: a Unix-domain stream socket. Each connection reads framed requests,
// hands them to the protocol and writes the replies back in whatever order they come. Whatever
// a peer does, it costs the helper a bounded amount: a peer that sends what no client of ours
// would send, leaves a frame unfinished, or stops reading its replies is disconnected, and the
// number of connections is capped.

#include <sys/types.h>

#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "ventoria/ipc/fan_helper_protocol.h"

namespace ventoria::ipc {

class Connection;

// More clients than any machine has reason for; a peer beyond them is turned away at once.
inline constexpr std::size_t kMaxConnections = 32;

class Listener {
  public:
    // Whether the user at the other end of a new connection may talk to the helper; nothing
    // when the system could not tell who it is.
    using Admission = std::function<bool(std::optional<uid_t> peer)>;

    Listener(asio::io_context& io, FanHelperProtocol& protocol, ConnectionDelegate& delegate,
             Admission admit);
    ~Listener();

    // Binds `path` (a socket left by a helper that is gone is replaced; one that answers is not)
    // and starts accepting. Throws std::system_error.
    void start(const std::filesystem::path& path);
    // Stops accepting and closes every connection; each counts as invalidated.
    void stop();

  private:
    void accept();
    void admit(asio::local::stream_protocol::socket socket);
    void forget(const std::shared_ptr<Connection>& connection);

    asio::io_context& io_;
    FanHelperProtocol& protocol_;
    ConnectionDelegate& delegate_;
    Admission admit_;
    asio::local::stream_protocol::acceptor acceptor_;
    std::filesystem::path path_;
    std::mutex mutex_;
    std::set<std::shared_ptr<Connection>> connections_;
    bool stopped_ = false;
};

}  // namespace ventoria::ipc
