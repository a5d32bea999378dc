#pragma once
// The helper's side of the protocol, as the listener sees it. Each operation calls its reply
// exactly once, possibly later and on another thread.

#include <functional>
#include <optional>
#include <string>

namespace ventoria::ipc {

class FanHelperProtocol {
  public:
    // An error text (nothing: success), the version, or a status (nothing: no status).
    using Reply = std::function<void(std::optional<std::string>)>;

    virtual ~FanHelperProtocol() = default;

    // Answers at once, on the calling thread: the version never waits on fan work.
    virtual void version(Reply reply) = 0;
    virtual void setFraction(double fraction, Reply reply) = 0;
    virtual void setSmart(std::string settings, Reply reply) = 0;
    virtual void smartStatus(Reply reply) = 0;
    virtual void setAuto(Reply reply) = 0;
};

// Told about every connection: a client from acceptance until the connection closes.
class ConnectionDelegate {
  public:
    virtual ~ConnectionDelegate() = default;

    // Before the connection's first request is read.
    virtual void connectionAccepted() = 0;
    // Once per accepted connection, when it closes or breaks for any reason.
    virtual void connectionInvalidated() = 0;
};

}  // namespace ventoria::ipc
