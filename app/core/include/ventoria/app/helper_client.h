#pragma once
// The application's one way to the privileged helper: one long-lived connection (the helper
// keeps enforcing a choice only while it is open), a version check that installs or replaces
// the helper when needed, and each request as an awaitable that returns or throws HelperError.

#include <QCoroTask>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "ventoria/app/cancel_token.h"
#include "ventoria/app/helper_connection.h"
#include "ventoria/app/helper_error.h"
#include "ventoria/app/installer.h"
#include "ventoria/smart/smart_records.h"

namespace ventoria::app {

// launchd returns from bootstrapping the helper before the helper listens. It is asked for its
// version after each of these pauses until it answers, at most kInstallAnswerAttempts times
// (ten seconds in all): a helper that is not listening by then is not coming.
inline constexpr std::chrono::milliseconds kWaitAfterInstall{300};
inline constexpr int kInstallAnswerAttempts = 33;

// The helper is installed when its launchd property list is in place, or, on Linux, the
// package's systemd unit.
bool helperInstalled();

class HelperClient {
  public:
    // The pauses after an install are timers `pauses` makes: the event loop's, or a test's.
    HelperClient(std::unique_ptr<HelperConnector> connector,
                 std::unique_ptr<HelperInstaller> installer,
                 std::function<std::unique_ptr<OneShotTimer>()> pauses = &eventLoopTimer);
    HelperClient(const HelperClient&) = delete;
    HelperClient& operator=(const HelperClient&) = delete;

    // Makes sure a helper of this application's version answers, installing it at most once.
    // Throws HelperError, or Cancelled when `token` is cancelled during the wait. With
    // `installUnreachable` false, a helper that does not answer is an error, not a reason to
    // install: only one that answers with another version is replaced.
    QCoro::Task<> ensureInstalled(std::shared_ptr<CancelToken> token = nullptr,
                                  bool installUnreachable = true);
    QCoro::Task<> setAuto();
    QCoro::Task<> setFraction(double fraction);
    QCoro::Task<> setSmart(smart::SmartSettings settings);
    // Nothing while Smart is not running. Throws on data that is not a status.
    QCoro::Task<std::optional<smart::SmartStatus>> smartStatus();
    QCoro::Task<QString> version();
    // Replaces the helper: drops the connection first, so no request talks to the old one.
    void install();
    // The reply to `message`, of the type its message declares; a command's refusal is its
    // reply here, not an error. Throws HelperError when there is no such reply.
    template <typename M>
    QCoro::Task<typename M::Reply> call(M message);

    // Runs, on the application's thread, when the connection in use ends without our asking:
    // the helper went away, and with it whatever it was enforcing for us.
    std::function<void()> connectionLost;

  private:
    QCoro::Task<ipc::ReplyContent> send(ipc::Message message);
    template <typename M>
    QCoro::Task<> command(M message);
    QCoro::Task<> waitAfterInstall(std::shared_ptr<CancelToken> token);
    std::shared_ptr<HelperConnection> connection();

    std::unique_ptr<HelperConnector> connector_;
    std::unique_ptr<HelperInstaller> installer_;
    std::function<std::unique_ptr<OneShotTimer>()> pauses_;
    std::shared_ptr<HelperConnection> connection_;
    std::shared_ptr<HelperClient*> self_;  // what the invalidation handler holds weakly
};

template <typename M>
QCoro::Task<typename M::Reply> HelperClient::call(M message) {
    auto content = co_await send(ipc::Message(std::move(message)));
    if (auto* problem = std::get_if<ipc::NotUnderstood>(&content)) {
        throw HelperError::failed(QStringLiteral("The helper did not understand the request: ") +
                                  QString::fromStdString(problem->reason));
    }
    typename M::Reply value;
    if (!ipc::fromWire(std::get<ipc::WireValue>(content), value)) {
        throw HelperError::unavailable(QStringLiteral("the helper's answer could not be read"));
    }
    co_return value;
}

}  // namespace ventoria::app
