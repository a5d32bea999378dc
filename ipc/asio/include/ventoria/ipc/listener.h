#pragma once
// The helper's listener: a Unix-domain stream socket. Each connection reads framed requests,
// hands them to the protocol and writes the replies back in whatever order they come. Whatever
// a peer does, it costs the helper a bounded amount: a peer that sends what no client of ours
// would send, leaves a frame unfinished, or stops reading its replies is disconnected, and the
// number of connections is capped.

#include <sys/types.h>

#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "ventoria/ipc/fan_helper_protocol.h"
#include "ventoria/ipc/peer_timer.h"
#include "ventoria/ipc/refusal_log.h"

namespace ventoria::ipc {

class Connection;

// More clients than any machine has reason for; past them, a newcomer takes the place of the
// quietest connection of the user holding the most (see eviction.h).
inline constexpr std::size_t kMaxConnections = 32;
// Connections taken per wake-up before other work gets its turn.
inline constexpr int kAcceptBatch = 64;
// How often the peers already connected are asked again whether they may command the fans:
// the person at the console changes, and the one who left must not keep control (on the
// peer clock).
inline constexpr std::chrono::seconds kAdmissionRecheck{1};

class Listener {
  public:
    // Whether the user at the other end of a connection may talk to the helper now; nothing
    // when the system could not tell who it is.
    using Admission = std::function<bool(std::optional<uid_t> peer)>;

    Listener(asio::io_context& io, FanHelperProtocol& protocol, ConnectionDelegate& delegate,
             Admission admit);
    ~Listener();

    // Binds `path` (a socket left by a helper that is gone is replaced; one that answers is not)
    // and starts accepting. Throws std::system_error.
    void start(const std::filesystem::path& path);
    // Accepts on `fd`, a socket already bound and listening that a service manager opened; its
    // file stays the manager's, and stays when the listener stops.
    void adopt(int fd);
    // Stops accepting and closes every connection; each counts as invalidated.
    void stop();

  private:
    struct Admitted {
        std::shared_ptr<Connection> connection;
        std::optional<uid_t> user;
    };

    void serve();
    void accept();
    void acceptLater();
    void admit(int fd);
    Admitted makeRoom();
    void forget(ClientId client);
    // Writes `line` about turning `peer` away, as the refusal log allows.
    void refuse(std::optional<uid_t> peer, const std::string& line);
    void summariseRefusals();
    void recheckAdmissions();

    asio::io_context& io_;
    FanHelperProtocol& protocol_;
    ConnectionDelegate& delegate_;
    Admission admit_;
    asio::local::stream_protocol::acceptor acceptor_;
    std::filesystem::path path_;
    std::mutex mutex_;
    std::map<ClientId, Admitted> connections_;
    ClientId nextClient_ = 1;
    bool stopped_ = false;
    RefusalLog refusals_;
    asio::steady_timer refusalSummary_;
    PeerTimer admissionRecheck_;
    bool rechecking_ = false;
};

}  // namespace ventoria::ipc
