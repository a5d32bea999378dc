// The helper connection over a QLocalSocket on the main thread: framed MessagePack requests,
// replies matched by id.

#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <map>
#include <optional>

#include "ventoria/app/helper_connection.h"
#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::app {
namespace {

using Deadline = std::chrono::steady_clock::time_point;

QString serviceGone() {
    return QStringLiteral("The connection to service named %1 was invalidated.")
        .arg(QString::fromLatin1(ipc::kServiceName));
}

class LocalSocketConnection final : public HelperConnection {
  public:
    LocalSocketConnection(const RequestClock& clock, std::function<void()> invalidated)
        : socket_(new QLocalSocket),
          now_(clock.now),
          watchdog_(clock.timer()),
          invalidated_(std::move(invalidated)) {
        QObject::connect(socket_, &QLocalSocket::connected, socket_, [this] { flush(); });
        QObject::connect(socket_, &QLocalSocket::readyRead, socket_, [this] { receive(); });
        QObject::connect(socket_, &QLocalSocket::errorOccurred, socket_,
                         [this](QLocalSocket::LocalSocketError) { end(describe()); });
        QObject::connect(socket_, &QLocalSocket::disconnected, socket_,
                         [this] { end(closedByHelper()); });
        try {
            socket_->connectToServer(QString::fromStdString(ipc::socketPath().string()));
        } catch (const ipc::SocketPathTooLong& error) {
            // After the constructor, as a refused connection would end.
            QMetaObject::invokeMethod(
                socket_,
                [this, why = QString::fromUtf8(error.what())] {
                    end({why, false});
                },
                Qt::QueuedConnection);
        }
    }

    ~LocalSocketConnection() override {
        invalidated_ = nullptr;
        end(serviceGone());  // requests still out fail rather than wait forever
        socket_->disconnect();
        socket_->abort();
        socket_->deleteLater();
    }

    bool send(const ipc::Message& message, ReplyHandler onReply, ErrorHandler onError) override {
        if (brokenProtocol_) return false;
        if (endedBy_) {
            // Like a message on an invalidated XPC connection: it fails, later, on its own, and
            // for the reason the connection ended (a helper that is not listening ends it
            // before the first request is even sent).
            QMetaObject::invokeMethod(
                socket_, [onError = std::move(onError), why = *endedBy_] { onError(why); },
                Qt::QueuedConnection);
            return true;
        }
        ipc::Request numbered{nextId_++, message};
        auto bytes = ipc::frame(ipc::encodeRequest(numbered));
        pending_.emplace(numbered.id, Pending{std::move(onReply), std::move(onError),
                                              now_() + ipc::kHelperTimeout});
        watch();
        outbox_.append(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qsizetype>(bytes.size()));
        if (socket_->state() == QLocalSocket::ConnectedState) flush();
        return true;
    }

    void invalidate() override { end(serviceGone()); }

  private:
    struct Pending {
        ReplyHandler onReply;
        ErrorHandler onError;
        Deadline deadline;
    };

    // The watchdog wakes at the earliest deadline of the requests still out.
    void watch() {
        if (pending_.empty()) return watchdog_->stop();
        auto earliest = std::min_element(pending_.begin(), pending_.end(), [](auto& a, auto& b) {
                            return a.second.deadline < b.second.deadline;
                        })->second.deadline;
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(earliest - now_());
        watchdog_->start(std::max(wait, std::chrono::milliseconds(0)),
                         [this] { checkDeadlines(); });
    }

    // A helper that leaves a request unanswered this long is stuck: the connection ends, so
    // the next request starts afresh, and the helper counts this client out.
    void checkDeadlines() {
        auto now = now_();
        for (const auto& [id, request] : pending_) {
            if (request.deadline <= now) {
                return end(QStringLiteral("The helper did not answer in time."));
            }
        }
        watch();
    }

    // The helper took the connection and then closed it: it is there, and turned us away or
    // went away itself. Only a later connection can tell which.
    static ConnectionFailure closedByHelper() { return {serviceGone(), false}; }

    ConnectionFailure describe() const {
        switch (socket_->error()) {
            case QLocalSocket::ServerNotFoundError:
            case QLocalSocket::ConnectionRefusedError:
                return {QStringLiteral("Couldn’t communicate with a helper application.")};
            case QLocalSocket::PeerClosedError:
                return closedByHelper();
            default:
                return {socket_->errorString()};
        }
    }

    void flush() {
        if (outbox_.isEmpty()) return;
        socket_->write(outbox_);
        outbox_.clear();
    }

    void receive() {
        auto bytes = socket_->readAll();
        if (!reader_.feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                    static_cast<std::size_t>(bytes.size())))) {
            return broken();
        }
        while (auto payload = reader_.next()) {
            auto reply = ipc::decodeReply(*payload);
            if (!reply) return broken();
            auto it = pending_.find(reply->id);
            if (it == pending_.end()) continue;
            auto onReply = std::move(it->second.onReply);
            pending_.erase(it);
            watch();
            onReply(std::move(reply->content));
        }
    }

    // The peer sent what no helper of ours would: it is not the helper.
    void broken() {
        brokenProtocol_ = true;
        end(QStringLiteral("The helper answered with data that is not a helper reply."));
    }

    void end(const ConnectionFailure& failure) {
        if (endedBy_) return;
        endedBy_ = failure;
        watchdog_->stop();
        socket_->abort();
        auto pending = std::move(pending_);
        for (auto& [id, request] : pending) request.onError(failure);
        if (invalidated_) std::exchange(invalidated_, nullptr)();
    }

    QLocalSocket* socket_;  // deleted later: its own signal may be what ended us
    std::function<std::chrono::steady_clock::time_point()> now_;
    std::unique_ptr<OneShotTimer> watchdog_;
    std::function<void()> invalidated_;
    std::map<std::uint64_t, Pending> pending_;
    QByteArray outbox_;
    ipc::FrameReader reader_;
    std::uint64_t nextId_ = 1;
    std::optional<ConnectionFailure> endedBy_;
    bool brokenProtocol_ = false;
};

class LocalSocketConnector final : public HelperConnector {
  public:
    explicit LocalSocketConnector(RequestClock clock) : clock_(std::move(clock)) {}

    std::shared_ptr<HelperConnection> connect(std::function<void()> invalidated) override {
        return std::make_shared<LocalSocketConnection>(clock_, std::move(invalidated));
    }

  private:
    RequestClock clock_;
};

}  // namespace

std::unique_ptr<HelperConnector> localSocketConnector(RequestClock clock) {
    return std::make_unique<LocalSocketConnector>(std::move(clock));
}

}  // namespace ventoria::app
