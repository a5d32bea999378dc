#pragma once

#include <QString>

namespace ventoria::ui {

// Posts a notification to the desktop (the Mac's Notification Center, the freedesktop
// notification service on the virtual Mac). Fire and forget: a desktop without the service
// simply shows nothing.
void postNotification(const QString& title, const QString& body);

}  // namespace ventoria::ui
