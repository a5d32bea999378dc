#include "ventoria/ipc/listener.h"

#include <sys/stat.h>

#include <asio/steady_timer.hpp>
#include <iostream>
#include <string>

#include "connection.h"
#include "ventoria/platform/peer_identity.h"

namespace ventoria::ipc {
namespace {

using asio::local::stream_protocol;

// A socket file whose helper is gone is left behind by a crash; one that answers belongs to a
// helper that is still running, and taking it over would orphan that helper's clients.
void clearStaleSocket(asio::io_context& io, const std::filesystem::path& path) {
    if (!std::filesystem::exists(std::filesystem::symlink_status(path))) return;
    stream_protocol::socket probe(io);
    asio::error_code error;
    probe.connect(stream_protocol::endpoint(path.string()), error);
    if (!error) {
        throw std::system_error(std::make_error_code(std::errc::address_in_use),
                                "another helper is listening on " + path.string());
    }
    std::filesystem::remove(path);
}

std::string describe(std::optional<uid_t> peer) {
    return peer ? "user " + std::to_string(*peer) : std::string("a user the system cannot name");
}

}  // namespace

Listener::Listener(asio::io_context& io, FanHelperProtocol& protocol, ConnectionDelegate& delegate,
                   Admission admit)
    : io_(io), protocol_(protocol), delegate_(delegate), admit_(std::move(admit)), acceptor_(io) {}

Listener::~Listener() {
    stop();
}

void Listener::start(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    clearStaleSocket(io_, path);
    stream_protocol::endpoint endpoint(path.string());
    acceptor_.open(endpoint.protocol());
    acceptor_.bind(endpoint);
    // Anyone may knock: who gets in is decided from the peer's credentials at accept.
    ::chmod(path.c_str(), 0666);
    acceptor_.listen();
    path_ = path;
    accept();
}

void Listener::accept() {
    acceptor_.async_accept([this](const asio::error_code& error, stream_protocol::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (error) {
            // Out of descriptors or the like: breathe before trying again rather than spin.
            auto pause = std::make_shared<asio::steady_timer>(io_, std::chrono::milliseconds(100));
            pause->async_wait([this, pause](const asio::error_code&) { accept(); });
            return;
        }
        admit(std::move(socket));
        accept();
    });
}

void Listener::admit(stream_protocol::socket socket) {
    // Refused peers are closed (as `socket` goes) before a byte of theirs is read.
    auto peer = platform::peerUser(socket.native_handle());
    if (!admit_(peer)) {
        std::cerr << "VentoriaHelper: refused a connection from " << describe(peer) << "\n";
        return;
    }
    std::shared_ptr<Connection> connection;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        if (connections_.size() >= kMaxConnections) {
            std::cerr << "VentoriaHelper: refused a connection from " << describe(peer) << ": "
                      << kMaxConnections << " are open already\n";
            return;
        }
        connection = std::make_shared<Connection>(
            std::move(socket), protocol_, [this](const std::shared_ptr<Connection>& closed) {
                delegate_.connectionInvalidated();
                forget(closed);
            });
        connections_.insert(connection);
    }
    delegate_.connectionAccepted();
    connection->start();
}

void Listener::forget(const std::shared_ptr<Connection>& connection) {
    std::lock_guard lock(mutex_);
    connections_.erase(connection);
}

void Listener::stop() {
    std::set<std::shared_ptr<Connection>> open;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        stopped_ = true;
        open = connections_;
    }
    asio::error_code ignored;
    acceptor_.close(ignored);
    if (!path_.empty()) std::filesystem::remove(path_, ignored);
    for (const auto& connection : open) connection->close();
}

}  // namespace ventoria::ipc
