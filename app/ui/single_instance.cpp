#include "single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalSocket>

#include "ventoria/platform/system_root.h"

namespace ventoria::ui {
namespace {

// Long enough for a running copy that is busy painting; a copy that does not answer at all
// is taken for a crashed one, whose socket is stale.
constexpr int kAnswerMilliseconds = 2000;

}  // namespace

QString SingleInstance::nameForThisUser() {
    auto root = QString::fromStdString(platform::systemPath("/").string());
    auto digest = QCryptographicHash::hash(root.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("ventoria-%1-%2")
        .arg(geteuid())
        .arg(QString::fromLatin1(digest.left(16)));
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

bool SingleInstance::handOver(const QStringList& arguments) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerMilliseconds)) return false;
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << arguments;
    socket.write(message);
    socket.flush();
    // The running copy closes once it has the message: then it has surely arrived.
    socket.waitForDisconnected(kAnswerMilliseconds);
    return true;
}

bool SingleInstance::serve() {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name_)) {
        QLocalServer::removeServer(name_);  // left by a copy that crashed
        if (!server_.listen(name_)) return false;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (auto* client = server_.nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                QStringList arguments;
                QDataStream stream(client->readAll());
                stream >> arguments;
                client->disconnectFromServer();
                emit activated(arguments);
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace ventoria::ui
