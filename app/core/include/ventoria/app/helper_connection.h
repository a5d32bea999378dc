#pragma once
// The application's side of the helper's named service: one connection, over which requests
// go out and replies or errors come back. Behaves like an XPC connection: made without
// waiting, failures show up per request, and a connection that ends says so once.

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ventoria/ipc/messages.h"

namespace ventoria::app {

class HelperConnection {
  public:
    using ReplyHandler = std::function<void(std::optional<std::string>)>;
    using ErrorHandler = std::function<void(QString description)>;

    virtual ~HelperConnection() = default;

    // Sends `request`. False when nothing on this connection speaks the helper's protocol any
    // more, and then neither handler runs. Otherwise the reply handler runs with the reply, or
    // the error handler with the system's description of a connection failure; a failure that
    // comes after the reply (or the other way round) may call the second one as well.
    virtual bool send(const ipc::Request& request, ReplyHandler onReply, ErrorHandler onError) = 0;
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

// The real one: a local socket to the helper's service.
std::unique_ptr<HelperConnector> localSocketConnector();

}  // namespace ventoria::app
