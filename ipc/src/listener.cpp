#include "ventoria/ipc/listener.h"

#include <sys/stat.h>

#include <asio/steady_timer.hpp>

#include "connection.h"

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

}  // namespace

Listener::Listener(asio::io_context& io, FanHelperProtocol& protocol, ConnectionDelegate& delegate)
    : io_(io), protocol_(protocol), delegate_(delegate), acceptor_(io) {}

Listener::~Listener() {
    stop();
}

void Listener::start(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    clearStaleSocket(io_, path);
    stream_protocol::endpoint endpoint(path.string());
    acceptor_.open(endpoint.protocol());
    acceptor_.bind(endpoint);
    // The helper runs as root; the application that talks to it does not.
    ::chmod(path.c_str(), 0666);
    acceptor_.listen();
    path_ = path;
    accept();
}

void Listener::accept() {
    acceptor_.async_accept([this](const asio::error_code& error, stream_protocol::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (!error) {
            auto connection = std::make_shared<Connection>(std::move(socket), *this);
            {
                std::lock_guard lock(mutex_);
                if (stopped_) return;
                connections_.insert(connection);
            }
            delegate_.connectionAccepted();
            connection->start();
        }
        if (error) {
            // Out of descriptors or the like: breathe before trying again rather than spin.
            auto pause = std::make_shared<asio::steady_timer>(io_, std::chrono::milliseconds(100));
            pause->async_wait([this, pause](const asio::error_code&) { accept(); });
            return;
        }
        accept();
    });
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
