#include "ventoria/ipc/listener.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <asio/steady_timer.hpp>
#include <cerrno>
#include <iostream>
#include <string>

#include "connection.h"
#include "ventoria/ipc/eviction.h"
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
    : io_(io),
      protocol_(protocol),
      delegate_(delegate),
      admit_(std::move(admit)),
      acceptor_(io),
      refusalSummary_(io),
      admissionRecheck_(io) {}

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
    serve();
}

void Listener::adopt(int fd) {
    acceptor_.assign(stream_protocol(), fd);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);  // no child of the helper's holds the helper's socket
    serve();
}

void Listener::serve() {
    acceptor_.native_non_blocking(true);  // accept() below takes what is there, never waits
    accept();
}

void Listener::accept() {
    acceptor_.async_wait(stream_protocol::acceptor::wait_read,
                         [this](const asio::error_code& error) {
                             if (error == asio::error::operation_aborted) return;
                             if (error) return acceptLater();
                             // Every connection waiting is taken in one go, so that a flood of them
                             // costs one wake-up a batch, and a refused one nothing but its accept
                             // and close.
                             for (int taken = 0; taken < kAcceptBatch; ++taken) {
                                 int fd = ::accept(acceptor_.native_handle(), nullptr, nullptr);
                                 if (fd >= 0) {
                                     ::fcntl(fd, F_SETFD, FD_CLOEXEC);
                                     admit(fd);
                                 } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
                                     break;
                                 } else if (errno != EINTR && errno != ECONNABORTED) {
                                     return acceptLater();
                                 }
                             }
                             accept();
                         });
}

// Out of descriptors or the like: breathe before trying again rather than spin.
void Listener::acceptLater() {
    auto pause = std::make_shared<asio::steady_timer>(io_, std::chrono::milliseconds(100));
    pause->async_wait([this, pause](const asio::error_code& error) {
        if (!error && !stopped_) accept();
    });
}

void Listener::admit(int fd) {
    // Refused peers are closed before a byte of theirs is read.
    auto peer = platform::peerUser(fd);
    if (!admit_(peer)) {
        ::close(fd);
        return refuse(peer, "VentoriaHelper: refused a connection from " + describe(peer) +
                                ": not at the machine");
    }
    stream_protocol::socket socket(io_, stream_protocol(), fd);
    std::shared_ptr<Connection> connection;
    std::optional<Admitted> evicted;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        if (connections_.size() >= kMaxConnections) evicted = makeRoom();
        auto client = nextClient_++;
        connection =
            std::make_shared<Connection>(std::move(socket), protocol_, client,
                                         [this](const std::shared_ptr<Connection>& closed) {
                                             delegate_.connectionInvalidated(closed->client());
                                             forget(closed->client());
                                         });
        connections_.emplace(client, Admitted{connection, peer});
    }
    if (evicted) {
        refuse(evicted->user, "VentoriaHelper: " + std::to_string(kMaxConnections) +
                                  " connections were open: closed the quietest, of " +
                                  describe(evicted->user) + ", for " + describe(peer));
        evicted->connection->close();
    }
    delegate_.connectionAccepted(connection->client());
    connection->start();
    if (!std::exchange(rechecking_, true)) recheckAdmissions();
}

// Called with the mutex held. The evicted connection leaves the count at once; it is told
// it is invalidated once its close has run.
Listener::Admitted Listener::makeRoom() {
    std::vector<OpenConnection> open;
    for (const auto& [client, admitted] : connections_) {
        const auto& connection = *admitted.connection;
        open.push_back({client, admitted.user, connection.lastHeard(), connection.commanded()});
    }
    auto evicted = connections_.extract(connectionToEvict(open));
    return std::move(evicted.mapped());
}

void Listener::forget(ClientId client) {
    std::lock_guard lock(mutex_);
    connections_.erase(client);
}

void Listener::refuse(std::optional<uid_t> peer, const std::string& line) {
    auto now = RefusalLog::Clock::now();
    if (auto lines = refusals_.refused(describe(peer), line, now)) std::cerr << *lines << "\n";
    auto due = refusals_.due();
    if (!due || refusalSummary_.expiry() == *due) return;
    refusalSummary_.expires_at(*due);
    refusalSummary_.async_wait([this](const asio::error_code& error) {
        if (!error) summariseRefusals();
    });
}

void Listener::summariseRefusals() {
    if (auto line = refusals_.summary(RefusalLog::Clock::now())) std::cerr << *line << "\n";
}

// Runs while connections are open: whoever is no longer admitted (the console has passed to
// someone else) is closed, and with it goes whatever that peer held.
void Listener::recheckAdmissions() {
    std::vector<std::pair<std::shared_ptr<Connection>, std::optional<uid_t>>> revoked;
    {
        std::lock_guard lock(mutex_);
        if (stopped_ || connections_.empty()) {
            rechecking_ = false;
            return;
        }
        for (const auto& [client, admitted] : connections_) {
            if (!admit_(admitted.user)) revoked.emplace_back(admitted.connection, admitted.user);
        }
    }
    for (const auto& [connection, user] : revoked) {
        refuse(user, "VentoriaHelper: closed the connection of " + describe(user) +
                         ": no longer at the machine");
        connection->close();
    }
    admissionRecheck_.expires_after(kAdmissionRecheck);
    admissionRecheck_.async_wait([this](const asio::error_code& error) {
        if (error) return;
        recheckAdmissions();
    });
}

void Listener::stop() {
    std::vector<std::shared_ptr<Connection>> open;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        stopped_ = true;
        for (const auto& [client, admitted] : connections_) open.push_back(admitted.connection);
    }
    asio::error_code ignored;
    acceptor_.close(ignored);
    refusalSummary_.cancel();
    admissionRecheck_.cancel();
    summariseRefusals();
    if (!path_.empty()) std::filesystem::remove(path_, ignored);
    for (const auto& connection : open) connection->close();
}

}  // namespace ventoria::ipc
