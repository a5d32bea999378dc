// The virtual Mac's notifications as a real notification server receives them: over a
// private session bus, from the freedesktop call's own signature.

#include "desktop_notifications.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QVariantMap>

namespace ventoria::ui {
namespace {

// What a notification daemon offers: org.freedesktop.Notifications.Notify, exactly typed.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    QStringList received;  // "app|summary|body"

  public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int timeout) {
        Q_UNUSED(replaces);
        Q_UNUSED(icon);
        Q_UNUSED(actions);
        Q_UNUSED(hints);
        Q_UNUSED(timeout);
        received << app + "|" + summary + "|" + body;
        emit notified();
        return static_cast<uint>(received.size());
    }

  signals:
    void notified();
};

TEST(DesktopNotifications, ReachTheSessionsNotificationServer) {
    if (!QFileInfo::exists(QStringLiteral("/usr/bin/dbus-daemon"))) {
        GTEST_SKIP() << "no dbus-daemon to run a private session bus";
    }
    QProcess bus;
    bus.start(QStringLiteral("/usr/bin/dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"),
               QStringLiteral("--print-address")});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    auto address = QString::fromUtf8(bus.readLine()).trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());

    auto server = QDBusConnection::connectToBus(address, QStringLiteral("server"));
    ASSERT_TRUE(server.isConnected());
    NotificationServer notifications;
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                      &notifications, QDBusConnection::ExportAllSlots));

    QSignalSpy notified(&notifications, &NotificationServer::notified);
    postNotification(QStringLiteral("Fan 2 is not turning"), QStringLiteral("It reads 0 rpm."));
    ASSERT_TRUE(notified.wait(5000));
    EXPECT_EQ(notifications.received,
              QStringList{QStringLiteral("Ventoria|Fan 2 is not turning|It reads 0 rpm.")});

    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    bus.kill();
    bus.waitForFinished();
}

}  // namespace
}  // namespace ventoria::ui

#include "desktop_notifications_test.moc"
