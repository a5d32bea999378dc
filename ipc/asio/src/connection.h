#pragma once

#include <array>
#include <asio/local/stream_protocol.hpp>
#include <asio/strand.hpp>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "ventoria/ipc/fan_helper_protocol.h"
#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/messages.h"
#include "ventoria/ipc/peer_timer.h"

namespace ventoria::ipc {

// Requests of one connection that may be read but not yet answered and written; past them
// the connection stops reading until replies have gone out.
inline constexpr std::size_t kMaxUnansweredRequests = 16;
// How long a peer may leave a frame half sent, or leave our replies unread, before it is
// taken for gone (on the peer clock).
inline constexpr std::chrono::seconds kPeerStallLimit{5};

// One client's connection. Its strand orders its own reads, writes and closing; requests go to
// the protocol, whose replies come back from any thread. A peer that closes its sending side
// still gets the replies to what it sent, then the connection ends.
class Connection : public std::enable_shared_from_this<Connection> {
  public:
    using Closed = std::function<void(const std::shared_ptr<Connection>&)>;

    // `closed` runs once, on the connection's strand, when the connection ends for any reason.
    Connection(asio::local::stream_protocol::socket socket, FanHelperProtocol& protocol,
               ClientId client, Closed closed);

    void start();
    void close();
    ClientId client() const { return client_; }
    // When the peer last sent us anything (or connected).
    std::chrono::steady_clock::time_point lastHeard() const { return lastHeard_.load(); }
    // It has sent a command: it holds a choice, or has handed back.
    bool commanded() const { return commanded_.load(); }

  private:
    void read();
    void takeRequests();
    void dispatch(Request request);
    void refuse(const Malformed& malformed);
    // A reply to write, or nothing for a request that is dropped unanswered.
    void send(std::optional<std::vector<std::uint8_t>> bytes);
    void writeNext();
    void watchPartialFrame();
    void finishIfDrained();
    std::size_t unanswered() const { return dispatched_ + outbox_.size(); }

    asio::strand<asio::any_io_executor> strand_;
    asio::local::stream_protocol::socket socket_;
    FanHelperProtocol& protocol_;
    ClientId client_;
    // ended_, for the service's threads: a request of a connection that has gone is dropped.
    std::shared_ptr<std::atomic<bool>> gone_ = std::make_shared<std::atomic<bool>>(false);
    std::atomic<std::chrono::steady_clock::time_point> lastHeard_;
    std::atomic<bool> commanded_ = false;
    Closed closed_;
    std::array<std::uint8_t, 4096> incoming_{};
    FrameReader frames_;
    std::size_t dispatched_ = 0;  // requests handed to the protocol, not yet answered
    // Replies waiting to be written; the front one is being written while it is not empty,
    // and stays alive until that write has finished, even if the connection closes meanwhile.
    std::deque<std::vector<std::uint8_t>> outbox_;
    PeerTimer partialFrame_;
    PeerTimer unreadReply_;
    std::uint64_t watchedFrame_ = 0;  // frames completed when the partial-frame watch began
    std::uint64_t written_ = 0;       // writes finished, so a stale unread-reply watch knows
    bool watching_ = false;
    bool reading_ = false;
    bool peerDone_ = false;  // the peer closed its sending side
    bool ended_ = false;
};

}  // namespace ventoria::ipc
