#pragma once
// The helper's side of the protocol, as the listener sees it: one handler per message of
// messages.h, each told who asked. Each handler calls its reply exactly once, possibly later
// and on another thread, or never when its requester has stopped waiting.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "ventoria/ipc/messages.h"

namespace ventoria::ipc {

// One connection, from acceptance until it closes; ids are never reused within a process.
using ClientId = std::uint64_t;

// Who sent a request, and whether anyone still waits for its answer.
struct Requester {
    ClientId client = 0;
    // Clients give up on a request after kHelperTimeout; from then on nobody reads the reply.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    // Set once the connection has ended.
    std::shared_ptr<const std::atomic<bool>> ended = nullptr;

    // False once the client has gone or given up: such a request is dropped unanswered and
    // changes nothing.
    bool waiting(std::chrono::steady_clock::time_point now) const {
        return now < deadline && !(ended && ended->load());
    }
};

template <typename M>
using Respond = std::function<void(typename M::Reply)>;

class FanHelperProtocol {
  public:
    virtual ~FanHelperProtocol() = default;

    // Answers at once, on the calling thread: the version never waits on fan work.
    virtual void handle(const Requester& from, Version message, Respond<Version> reply) = 0;
    virtual void handle(const Requester& from, SetFraction message, Respond<SetFraction> reply) = 0;
    virtual void handle(const Requester& from, SetSmart message, Respond<SetSmart> reply) = 0;
    virtual void handle(const Requester& from, SmartStatus message, Respond<SmartStatus> reply) = 0;
    virtual void handle(const Requester& from, SetAuto message, Respond<SetAuto> reply) = 0;
};

// Told about every connection: a client from acceptance until the connection closes.
class ConnectionDelegate {
  public:
    virtual ~ConnectionDelegate() = default;

    // Before the connection's first request is read.
    virtual void connectionAccepted(ClientId client) = 0;
    // Once per accepted connection, when it closes or breaks for any reason.
    virtual void connectionInvalidated(ClientId client) = 0;
};

}  // namespace ventoria::ipc
