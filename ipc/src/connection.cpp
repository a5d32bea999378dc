#include "connection.h"

#include <asio/bind_executor.hpp>
#include <asio/dispatch.hpp>
#include <asio/post.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

namespace ventoria::ipc {

Connection::Connection(asio::local::stream_protocol::socket socket, Listener& listener)
    : strand_(asio::make_strand(socket.get_executor())),
      socket_(std::move(socket)),
      listener_(listener) {}

void Connection::start() {
    asio::post(strand_, [self = shared_from_this()] { self->readHeader(); });
}

void Connection::readHeader() {
    asio::async_read(socket_, asio::buffer(header_),
                     asio::bind_executor(strand_, [self = shared_from_this()](
                                                      const asio::error_code& error, std::size_t) {
                         if (error) return self->close();
                         auto size = payloadLength(self->header_);
                         if (!size) return self->close();
                         self->readPayload(*size);
                     }));
}

void Connection::readPayload(std::uint32_t size) {
    payload_.resize(size);
    asio::async_read(socket_, asio::buffer(payload_),
                     asio::bind_executor(strand_, [self = shared_from_this()](
                                                      const asio::error_code& error, std::size_t) {
                         if (error) return self->close();
                         auto request = decodeRequest(self->payload_);
                         if (!request) return self->close();
                         self->dispatch(*request);
                         self->readHeader();
                     }));
}

void Connection::dispatch(const Request& request) {
    auto reply = [self = shared_from_this(), id = request.id,
                  message = request.message](std::optional<std::string> value) {
        auto bytes = frame(encodeReply(Reply{id, std::move(value)}, message));
        asio::post(self->strand_,
                   [self, bytes = std::move(bytes)]() mutable { self->send(std::move(bytes)); });
    };
    auto& protocol = listener_.protocol_;
    switch (request.message) {
        case Message::version:
            return protocol.version(std::move(reply));
        case Message::setFraction:
            return protocol.setFraction(request.fraction, std::move(reply));
        case Message::setSmart:
            return protocol.setSmart(request.settings, std::move(reply));
        case Message::smartStatus:
            return protocol.smartStatus(std::move(reply));
        case Message::setAuto:
            return protocol.setAuto(std::move(reply));
    }
}

void Connection::send(std::vector<std::uint8_t> bytes) {
    if (closed_) return;  // the client is gone; its reply goes with it
    outbox_.push_back(std::move(bytes));
    if (outbox_.size() == 1) writeNext();
}

void Connection::writeNext() {
    asio::async_write(socket_, asio::buffer(outbox_.front()),
                      asio::bind_executor(strand_, [self = shared_from_this()](
                                                       const asio::error_code& error, std::size_t) {
                          if (error) return self->close();
                          self->outbox_.pop_front();
                          if (!self->outbox_.empty()) self->writeNext();
                      }));
}

void Connection::close() {
    asio::dispatch(strand_, [self = shared_from_this()] {
        if (self->closed_) return;
        self->closed_ = true;
        self->outbox_.clear();
        asio::error_code ignored;
        self->socket_.close(ignored);
        self->listener_.delegate_.connectionInvalidated();
        self->listener_.forget(self);
    });
}

}  // namespace ventoria::ipc
