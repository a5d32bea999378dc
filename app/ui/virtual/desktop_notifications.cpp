// The freedesktop notification service on the session bus.

#include "desktop_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>

namespace ventoria::ui {

namespace {

// Only a session bus that is already there: without one, libdbus would start a bus daemon of
// its own, which would outlive us.
bool sessionBusRunning() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    auto runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

}  // namespace

void prepareNotifications() {
    // The freedesktop service asks no permission and shows what it is sent at any time.
}

void postNotification(const QString& title, const QString& body) {
    if (!sessionBusRunning()) return;
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    auto call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                               QStringLiteral("/org/freedesktop/Notifications"),
                                               QStringLiteral("org.freedesktop.Notifications"),
                                               QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
    // server's default).
    call << QStringLiteral("Ventoria") << 0u << QString() << title << body << QStringList()
         << QVariantMap() << -1;
    bus.send(call);
}

}  // namespace ventoria::ui
