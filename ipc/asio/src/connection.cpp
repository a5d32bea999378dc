#include "connection.h"

#include <asio/bind_executor.hpp>
#include <asio/dispatch.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>
#include <cassert>

namespace ventoria::ipc {

Connection::Connection(asio::local::stream_protocol::socket socket, FanHelperProtocol& protocol,
                       Closed closed)
    : strand_(asio::make_strand(socket.get_executor())),
      socket_(std::move(socket)),
      protocol_(protocol),
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
                    self->peerDone_ = true;
                    self->watchPartialFrame();
                    return self->finishIfDrained();
                }
                if (error || !self->frames_.feed(std::span(self->incoming_.data(), count))) {
                    return self->close();
                }
                self->takeRequests();
                self->read();
            }));
}

void Connection::takeRequests() {
    while (!ended_ && unanswered() < kMaxUnansweredRequests) {
        auto payload = frames_.next();
        if (!payload) return;
        auto request = decodeRequest(*payload);
        if (!request) return close();
        dispatch(*request);
    }
}

void Connection::dispatch(const Request& request) {
    ++dispatched_;
    auto reply = [self = shared_from_this(), id = request.id,
                  message = request.message](std::optional<std::string> value) {
        auto bytes = frame(encodeReply(Reply{id, std::move(value)}, message));
        asio::post(self->strand_,
                   [self, bytes = std::move(bytes)]() mutable { self->send(std::move(bytes)); });
    };
    switch (request.message) {
        case Message::version:
            return protocol_.version(std::move(reply));
        case Message::setFraction:
            return protocol_.setFraction(request.fraction, std::move(reply));
        case Message::setSmart:
            return protocol_.setSmart(request.settings, std::move(reply));
        case Message::smartStatus:
            return protocol_.smartStatus(std::move(reply));
        case Message::setAuto:
            return protocol_.setAuto(std::move(reply));
    }
}

void Connection::send(std::vector<std::uint8_t> bytes) {
    assert(dispatched_ > 0 && "a reply for a request that was never dispatched");
    --dispatched_;
    if (ended_) return;  // the client is gone; its reply goes with it
    outbox_.push_back(std::move(bytes));
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
        asio::error_code ignored;
        self->socket_.close(ignored);
        self->partialFrame_.cancel();
        self->unreadReply_.cancel();
        std::exchange(self->closed_, nullptr)(self);
    });
}

}  // namespace ventoria::ipc
