#pragma once
// The application's side of the helper's named service: one connection, over which requests
// go out and replies or errors come back. Behaves like an XPC connection: made without
// waiting, failures show up per request, and a connection that ends says so once.

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ventoria/app/one_shot_timer.h"
#include "ventoria/ipc/messages.h"

namespace ventoria::app {

// Why a request got no reply.
struct ConnectionFailure {
    ConnectionFailure(QString text, bool mayHelp = true)  // NOLINT: a text alone says enough
        : description(std::move(text)), reinstallMayHelp(mayHelp) {}

    QString description;  // the system's words
    // True when nothing answered at the helper's address, or what did never replied: a new
    // installation may help. False when a helper took the connection and then closed it (it
    // turned this user away, or made room for others): installing again changes nothing, and
    // must not cost the user an administrator prompt.
    bool reinstallMayHelp;
};

class HelperConnection {
  public:
    using ReplyHandler = std::function<void(ipc::ReplyContent)>;
    using ErrorHandler = std::function<void(ConnectionFailure failure)>;

    virtual ~HelperConnection() = default;

    // Sends `message`. False when nothing on this connection speaks the helper's protocol any
    // more, and then neither handler runs. Otherwise the reply handler runs with the reply, or
    // the error handler with the connection's failure; a failure that
    // comes after the reply (or the other way round) may call the second one as well.
    virtual bool send(const ipc::Message& message, ReplyHandler onReply, ErrorHandler onError) = 0;
    // Ends the connection: outstanding requests fail, and the helper counts this client out.
    virtual void invalidate() = 0;
};

class HelperConnector {
  public:
    virtual ~HelperConnector() = default;

    // A new connection to the helper's service. `invalidated` runs once, when the connection
    // ends for any reason.
    virtual std::shared_ptr<HelperConnection> connect(std::function<void()> invalidated) = 0;
};

// What a connection times its requests by (a helper that leaves one unanswered for
// kHelperTimeout is taken for stuck): the steady clock and the event loop's timers, or a
// test's, which it moves by hand.
struct RequestClock {
    std::function<std::chrono::steady_clock::time_point()> now = &std::chrono::steady_clock::now;
    std::function<std::unique_ptr<OneShotTimer>()> timer = &eventLoopTimer;
};

// The real one: a local socket to the helper's service.
std::unique_ptr<HelperConnector> localSocketConnector(RequestClock clock = {});

}  // namespace ventoria::app
