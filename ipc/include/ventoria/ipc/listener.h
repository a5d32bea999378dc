#pragma once
// The helper's listener: a Unix-domain stream socket. Each connection reads framed requests,
// hands them to the protocol and writes the replies back in whatever order they come. A peer
// that sends something no client of ours would send is disconnected.

#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

#include "ventoria/ipc/fan_helper_protocol.h"

namespace ventoria::ipc {

class Connection;

class Listener {
  public:
    Listener(asio::io_context& io, FanHelperProtocol& protocol, ConnectionDelegate& delegate);
    ~Listener();

    // Binds `path` (a socket left by a helper that is gone is replaced; one that answers is not)
    // and starts accepting. Throws std::system_error.
    void start(const std::filesystem::path& path);
    // Stops accepting and closes every connection; each counts as invalidated.
    void stop();

  private:
    friend class Connection;
    void accept();
    void forget(const std::shared_ptr<Connection>& connection);

    asio::io_context& io_;
    FanHelperProtocol& protocol_;
    ConnectionDelegate& delegate_;
    asio::local::stream_protocol::acceptor acceptor_;
    std::filesystem::path path_;
    std::mutex mutex_;
    std::set<std::shared_ptr<Connection>> connections_;
    bool stopped_ = false;
};

}  // namespace ventoria::ipc
