#include "connection.h"

#include <asio/bind_executor.hpp>
#include <asio/dispatch.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>
#include <cassert>

#include "ventoria/ipc/protocol.h"
#include "ventoria/platform/peer_identity.h"

namespace ventoria::ipc {

Connection::Connection(asio::local::stream_protocol::socket socket, FanHelperProtocol& protocol,
                       ClientId client, Closed closed)
    : strand_(asio::make_strand(socket.get_executor())),
      socket_(std::move(socket)),
      protocol_(protocol),
      client_(client),
      lastHeard_(std::chrono::steady_clock::now()),
      closed_(std::move(closed)),
      partialFrame_(strand_),
      unreadReply_(strand_) {}

void Connection::start() {
    asio::post(strand_, [self = shared_from_this()] { self->read(); });
}

void Connection::read() {
    if (ended_ || reading_ || peerDone_ || unanswered() >= kMaxUnansweredRequests) return;
    reading_ = true;
    watchPartialFrame();
    socket_.async_read_some(
        asio::buffer(incoming_),
        asio::bind_executor(
            strand_, [self = shared_from_this()](const asio::error_code& error, std::size_t count) {
                self->reading_ = false;
                if (self->ended_) return;
                if (error == asio::error::eof) {
                    // A peer that has gone altogether reads none of the replies it is owed,
                    // and what it asked must not be carried out after it left.
                    if (platform::peerClosedEntirely(self->socket_.native_handle())) {
                        return self->close();
                    }
                    self->peerDone_ = true;
                    self->watchPartialFrame();
                    return self->finishIfDrained();
                }
                if (error || !self->frames_.feed(std::span(self->incoming_.data(), count))) {
                    return self->close();
                }
                self->lastHeard_ = std::chrono::steady_clock::now();
                self->takeRequests();
                self->read();
            }));
}

void Connection::takeRequests() {
    while (!ended_ && unanswered() < kMaxUnansweredRequests) {
        auto payload = frames_.next();
        if (!payload) return;
        auto decoded = decodeRequest(*payload);
        if (!decoded) return close();
        if (auto* malformed = std::get_if<Malformed>(&*decoded)) {
            refuse(*malformed);
        } else {
            dispatch(std::get<Request>(std::move(*decoded)));
        }
    }
}

namespace {

// One request handed to the protocol, shared by every copy of its reply function. A reply that
// is never sent (its client had gone or given up) still frees its place once the last copy
// is dropped, so the connection's reading is not held back by requests nobody will answer.
struct Answer {
    std::function<void(std::optional<std::vector<std::uint8_t>>)> settle;
    bool sent = false;
    ~Answer() {
        if (!sent) settle(std::nullopt);
    }
};

}  // namespace

void Connection::dispatch(Request request) {
    ++dispatched_;
    if (isCommand(request.message)) commanded_ = true;
    Requester from{client_, std::chrono::steady_clock::now() + kHelperTimeout, gone_};
    auto answer = std::make_shared<Answer>();
    answer->settle = [self = shared_from_this()](std::optional<std::vector<std::uint8_t>> bytes) {
        asio::post(self->strand_,
                   [self, bytes = std::move(bytes)]() mutable { self->send(std::move(bytes)); });
    };
    std::visit(
        [&]<typename M>(M& message) {
            Respond<M> reply = [answer, id = request.id](typename M::Reply value) {
                if (std::exchange(answer->sent, true)) return;
                answer->settle(frame(encodeReply(Reply{id, toWire(value)})));
            };
            protocol_.handle(from, std::move(message), std::move(reply));
        },
        request.message);
}

// A sound frame with a request no client of ours would send: the peer learns what was wrong,
// and the connection goes on.
void Connection::refuse(const Malformed& malformed) {
    ++dispatched_;
    send(frame(encodeReply(Reply{malformed.id, NotUnderstood{malformed.reason}})));
}

void Connection::send(std::optional<std::vector<std::uint8_t>> bytes) {
    assert(dispatched_ > 0 && "a reply for a request that was never dispatched");
    --dispatched_;
    if (ended_) return;  // the client is gone; its reply goes with it
    if (!bytes) {
        // Dropped unanswered: its place is free for the next request.
        takeRequests();
        read();
        return finishIfDrained();
    }
    outbox_.push_back(std::move(*bytes));
    if (outbox_.size() == 1) writeNext();
}

void Connection::writeNext() {
    unreadReply_.expires_after(kPeerStallLimit);
    unreadReply_.async_wait(asio::bind_executor(
        strand_, [self = shared_from_this(), written = written_](const asio::error_code& error) {
            // Still the same write: the peer has stopped reading its replies.
            if (!error && self->written_ == written && !self->outbox_.empty()) self->close();
        }));
    asio::async_write(socket_, asio::buffer(outbox_.front()),
                      asio::bind_executor(strand_, [self = shared_from_this()](
                                                       const asio::error_code& error, std::size_t) {
                          ++self->written_;
                          self->unreadReply_.cancel();
                          if (self->ended_ || error) {
                              self->outbox_.clear();  // no write is using the buffers any more
                              return self->close();
                          }
                          self->outbox_.pop_front();
                          if (!self->outbox_.empty()) self->writeNext();
                          self->takeRequests();
                          self->read();
                          self->finishIfDrained();
                      }));
}

void Connection::watchPartialFrame() {
    if (!frames_.partial() || peerDone_) {
        watching_ = false;
        partialFrame_.cancel();
        return;
    }
    if (watching_ && watchedFrame_ == frames_.completed()) return;  // the same frame goes on
    watching_ = true;
    watchedFrame_ = frames_.completed();
    partialFrame_.expires_after(kPeerStallLimit);
    partialFrame_.async_wait(asio::bind_executor(
        strand_, [self = shared_from_this(), frame = watchedFrame_](const asio::error_code& error) {
            if (error || !self->watching_ || self->watchedFrame_ != frame) return;
            self->watching_ = false;
            // Only a peer we are waiting on is at fault; while our replies hold reading back,
            // the watch starts again when reading does.
            if (self->reading_) self->close();
        }));
}

void Connection::finishIfDrained() {
    if (peerDone_ && unanswered() == 0 && !frames_.hasPayload()) close();
}

void Connection::close() {
    asio::dispatch(strand_, [self = shared_from_this()] {
        if (self->ended_) return;
        self->ended_ = true;
        self->gone_->store(true);
        asio::error_code ignored;
        self->socket_.close(ignored);
        self->partialFrame_.cancel();
        self->unreadReply_.cancel();
        std::exchange(self->closed_, nullptr)(self);
    });
}

}  // namespace ventoria::ipc
