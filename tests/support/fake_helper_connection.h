#pragma once
// A helper connection the test drives by hand: it records what was sent, and the test decides
// when and how each request completes, in any order.

#include <deque>
#include <memory>
#include <vector>

#include "ventoria/app/helper_connection.h"
#include "ventoria/app/installer.h"

namespace ventoria::test {

struct SentRequest {
    ipc::Message message;
    app::HelperConnection::ReplyHandler reply;
    app::HelperConnection::ErrorHandler error;
};

class FakeHelper;

class FakeConnection final : public app::HelperConnection {
  public:
    explicit FakeConnection(FakeHelper& helper, std::function<void()> invalidated)
        : helper_(helper), invalidated_(std::move(invalidated)) {}

    bool send(const ipc::Message& message, ReplyHandler onReply, ErrorHandler onError) override;
    void invalidate() override;

    bool ended = false;

  private:
    FakeHelper& helper_;
    std::function<void()> invalidated_;
};

// The far side: connections made, requests waiting, and scripted answers.
class FakeHelper {
  public:
    // Answers every version request at once with this, when set.
    std::optional<std::string> version;
    // Answers every other request at once with this (nothing: success), when set; a Smart
    // status goes as data, the rest as text.
    std::optional<std::optional<std::string>> answer;
    // Refuses to speak the protocol: every send reports no proxy.
    bool badProxy = false;

    std::vector<std::shared_ptr<FakeConnection>> connections;
    std::deque<SentRequest> waiting;
    std::vector<std::string> events;  // "connect", "version", "setFraction:reply:", "install", …
    std::vector<ipc::Message> sent;   // every request, with its arguments

    std::unique_ptr<app::HelperConnector> connector();
    std::unique_ptr<app::HelperInstaller> installer();
    // The installer fails with this message, when set.
    std::optional<std::string> installFailure;
    // Runs during installation (the test may install a plist, change the version…).
    std::function<void()> onInstall;

    SentRequest take();
    // Fails every request still waiting, as a connection that goes away does, and lets the
    // coroutines that sent them run to their end, so none is left suspended.
    void endWaiting();
};

// Puts a launchd property list where an installed helper's would be.
void placeHelperPlist();

}  // namespace ventoria::test
