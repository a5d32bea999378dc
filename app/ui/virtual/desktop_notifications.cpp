// The freedesktop notification service on the session bus.

#include "desktop_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace ventoria::ui {

void postNotification(const QString& title, const QString& body) {
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
