#pragma once

#include <array>
#include <asio/local/stream_protocol.hpp>
#include <asio/strand.hpp>
#include <deque>
#include <memory>
#include <vector>

#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/listener.h"
#include "ventoria/ipc/messages.h"

namespace ventoria::ipc {

// One client's connection. Its strand orders its own reads, writes and closing; requests go to
// the protocol, whose replies come back from any thread.
class Connection : public std::enable_shared_from_this<Connection> {
  public:
    Connection(asio::local::stream_protocol::socket socket, Listener& listener);

    void start();
    void close();

  private:
    void readHeader();
    void readPayload(std::uint32_t size);
    void dispatch(const Request& request);
    void send(std::vector<std::uint8_t> bytes);
    void writeNext();

    asio::strand<asio::any_io_executor> strand_;
    asio::local::stream_protocol::socket socket_;
    Listener& listener_;
    std::array<std::uint8_t, kFrameHeaderSize> header_{};
    std::vector<std::uint8_t> payload_;
    std::deque<std::vector<std::uint8_t>> outbox_;
    bool closed_ = false;
};

}  // namespace ventoria::ipc
