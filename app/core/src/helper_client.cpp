#include "ventoria/app/helper_client.h"

#include <QCoreApplication>
#include <cassert>
#include <filesystem>
#include <variant>

#include "ventoria/app/completion.h"
#include "ventoria/ipc/protocol.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {

bool helperInstalled() {
    // launchd's job, the package's unit, or the one the application installed without it.
    return std::filesystem::exists(platform::systemPath(kHelperPlistPath)) ||
           std::filesystem::exists(platform::systemPath(kHelperUnitPath)) ||
           std::filesystem::exists(
               platform::systemPath(std::string(kLocalUnitDir) + "/" + kHelperServiceName));
}

HelperClient::HelperClient(std::unique_ptr<HelperConnector> connector,
                           std::unique_ptr<HelperInstaller> installer,
                           std::function<std::unique_ptr<OneShotTimer>()> pauses)
    : connector_(std::move(connector)),
      installer_(std::move(installer)),
      pauses_(std::move(pauses)),
      self_(std::make_shared<HelperClient*>(this)) {}

std::shared_ptr<HelperConnection> HelperClient::connection() {
    if (connection_) return connection_;
    auto made = std::make_shared<std::weak_ptr<HelperConnection>>();
    connection_ = connector_->connect([weak = std::weak_ptr(self_), made] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak, made] {
                auto self = weak.lock();
                auto ended = made->lock();
                // Only the connection that ended, and only while it is still ours: a newer one
                // must stay, or it would stay open, uncounted by us, and keep the helper
                // enforcing for nobody; one already let go (an install replaces it) is no loss.
                if (!self || !ended || (*self)->connection_ != ended) return;
                (*self)->connection_.reset();
                if ((*self)->connectionLost) (*self)->connectionLost();
            },
            Qt::QueuedConnection);
    });
    *made = connection_;
    return connection_;
}

QCoro::Task<ipc::ReplyContent> HelperClient::send(ipc::Message message) {
    Completion<ipc::ReplyContent> done;
    bool sent = connection()->send(
        message, [done](ipc::ReplyContent reply) mutable { done.resolve(std::move(reply)); },
        [done](ConnectionFailure failure) mutable {
            done.fail(std::make_exception_ptr(
                HelperError::unavailable(failure.description, failure.reinstallMayHelp)));
        });
    if (!sent) {
        done.fail(std::make_exception_ptr(HelperError::unavailable(QStringLiteral("bad proxy"))));
    }
    co_return co_await done;
}

// A command's reply is nothing on success and the helper's reason on refusal.
template <typename M>
QCoro::Task<> HelperClient::command(M message) {
    static_assert(ipc::Command<M>);
    if (auto refusal = co_await call(std::move(message))) {
        throw HelperError::failed(QString::fromStdString(*refusal));
    }
}

QCoro::Task<> HelperClient::setAuto() {
    co_await command(ipc::SetAuto{});
}

QCoro::Task<> HelperClient::setFraction(double fraction) {
    co_await command(ipc::SetFraction{fraction});
}

// The message is built as a named value first: g++ 12 mishandles braced initialisers inside a
// co_await expression.
QCoro::Task<> HelperClient::setSmart(smart::SmartSettings settings) {
    ipc::SetSmart message{{smart::encode(settings).value_or(std::string())}};
    co_await command(std::move(message));
}

QCoro::Task<std::optional<smart::SmartStatus>> HelperClient::smartStatus() {
    auto data = co_await call(ipc::SmartStatus{});
    if (!data) co_return std::nullopt;
    auto status = smart::decodeSmartStatus(data->data);
    if (!status) {
        throw HelperError::unavailable(
            QStringLiteral("The data couldn’t be read because it isn’t in the correct format."));
    }
    co_return status;
}

QCoro::Task<QString> HelperClient::version() {
    co_return QString::fromStdString(co_await call(ipc::Version{}));
}

void HelperClient::install() {
    if (auto old = std::exchange(connection_, nullptr)) old->invalidate();
    installer_->install();
}

QCoro::Task<> HelperClient::waitAfterInstall(std::shared_ptr<CancelToken> token) {
    Completion<std::monostate> done;
    auto pause = pauses_();
    pause->start(kWaitAfterInstall, [done]() mutable { done.resolve({}); });
    int handle = -1;
    if (token) {
        handle =
            token->onCancel([done]() mutable { done.fail(std::make_exception_ptr(Cancelled())); });
    }
    try {
        co_await done;
    } catch (...) {
        if (token) token->forget(handle);
        throw;
    }
    if (token) token->forget(handle);
}

QCoro::Task<> HelperClient::ensureInstalled(std::shared_ptr<CancelToken> token,
                                            bool installUnreachable) {
    const QString expected = QString::fromLatin1(ipc::kProtocolVersion);
    bool current = false;
    if (!installUnreachable && !helperInstalled()) {
        throw HelperError::unavailable(QStringLiteral("not installed"));
    }
    if (helperInstalled()) {
        try {
            current = co_await version() == expected;
        } catch (const HelperError& error) {
            // A helper that took the connection and closed it is there and has its reasons.
            if (!installUnreachable || !error.reinstallMayHelp()) throw;
            current = false;  // unreachable: installed again below
        }
    }
    if (current) co_return;
    install();
    for (int attempt = 1;; ++attempt) {
        co_await waitAfterInstall(token);
        QString answered;
        try {
            answered = co_await version();
        } catch (const HelperError& error) {
            // Not listening yet (a connection it refused), unless it is time to give up.
            if (!error.reinstallMayHelp() || attempt == kInstallAnswerAttempts) throw;
            continue;
        }
        if (answered != expected) {
            throw HelperError::unavailable(QStringLiteral("version mismatch"));
        }
        co_return;
    }
}

}  // namespace ventoria::app
