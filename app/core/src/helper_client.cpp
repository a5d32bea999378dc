#include "ventoria/app/helper_client.h"

#include <QTimer>
#include <cassert>
#include <filesystem>
#include <variant>

#include "ventoria/app/completion.h"
#include "ventoria/ipc/protocol.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {

bool helperInstalled() {
    return std::filesystem::exists(platform::systemPath(kHelperPlistPath));
}

HelperClient::HelperClient(std::unique_ptr<HelperConnector> connector,
                           std::unique_ptr<HelperInstaller> installer)
    : connector_(std::move(connector)),
      installer_(std::move(installer)),
      self_(std::make_shared<HelperClient*>(this)) {}

std::shared_ptr<HelperConnection> HelperClient::connection() {
    if (connection_) return connection_;
    auto made = std::make_shared<std::weak_ptr<HelperConnection>>();
    connection_ = connector_->connect([weak = std::weak_ptr(self_), made] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak, made] {
                auto self = weak.lock();
                // Only the connection that ended: a newer one must stay, or it would stay
                // open, uncounted by us, and keep the helper enforcing for nobody.
                if (!self || (*self)->connection_ != made->lock()) return;
                (*self)->connection_.reset();
                if ((*self)->connectionLost) (*self)->connectionLost();
            },
            Qt::QueuedConnection);
    });
    *made = connection_;
    return connection_;
}

QCoro::Task<std::optional<std::string>> HelperClient::call(ipc::Request request) {
    Completion<std::optional<std::string>> done;
    bool sent = connection()->send(
        request,
        [done](std::optional<std::string> reply) mutable { done.resolve(std::move(reply)); },
        [done](QString description) mutable {
            done.fail(std::make_exception_ptr(HelperError::unavailable(description)));
        });
    if (!sent) {
        done.fail(std::make_exception_ptr(HelperError::unavailable(QStringLiteral("bad proxy"))));
    }
    co_return co_await done;
}

// A command's reply is nothing on success and the helper's reason on refusal.
QCoro::Task<> HelperClient::command(ipc::Request request) {
    assert(ipc::isCommand(request.message));
    if (auto refusal = co_await call(std::move(request))) {
        throw HelperError::failed(QString::fromStdString(*refusal));
    }
}

// Requests are built as named values first: g++ 12 mishandles braced initialisers and
// temporaries inside a co_await expression.
QCoro::Task<> HelperClient::setAuto() {
    auto request = ipc::Request::setAuto();
    co_await command(std::move(request));
}

QCoro::Task<> HelperClient::setFraction(double fraction) {
    auto request = ipc::Request::setFraction(fraction);
    co_await command(std::move(request));
}

QCoro::Task<> HelperClient::setSmart(smart::SmartSettings settings) {
    auto json = smart::encode(settings);
    auto request = ipc::Request::setSmart(json.value_or(std::string()));
    co_await command(std::move(request));
}

QCoro::Task<std::optional<smart::SmartStatus>> HelperClient::smartStatus() {
    auto request = ipc::Request::smartStatus();
    auto data = co_await call(std::move(request));
    if (!data) co_return std::nullopt;
    auto status = smart::decodeSmartStatus(*data);
    if (!status) {
        throw HelperError::unavailable(
            QStringLiteral("The data couldn’t be read because it isn’t in the correct format."));
    }
    co_return status;
}

QCoro::Task<QString> HelperClient::version() {
    auto request = ipc::Request::version();
    auto reply = co_await call(std::move(request));
    co_return QString::fromStdString(reply.value_or(std::string()));
}

void HelperClient::install() {
    if (auto old = std::exchange(connection_, nullptr)) old->invalidate();
    installer_->install();
}

QCoro::Task<> HelperClient::waitAfterInstall(std::shared_ptr<CancelToken> token) {
    Completion<std::monostate> done;
    QTimer::singleShot(kWaitAfterInstall, Qt::PreciseTimer, QCoreApplication::instance(),
                       [done]() mutable { done.resolve({}); });
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
        } catch (const HelperError&) {
            if (!installUnreachable) throw;
            current = false;  // unreachable: installed again below
        }
    }
    if (current) co_return;
    install();
    co_await waitAfterInstall(token);
    if (co_await version() != expected) {
        throw HelperError::unavailable(QStringLiteral("version mismatch"));
    }
}

}  // namespace ventoria::app
