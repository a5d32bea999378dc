#pragma once

#include <QString>

namespace ventoria::ui {

// Posts a notification to the desktop (the Mac's Notification Center, the freedesktop
// notification service on the virtual Mac). Fire and forget: a desktop without the service
// simply shows nothing.
void postNotification(const QString& title, const QString& body);

// Once, at start: what the desktop needs before the first notification. The Mac asks the
// user's permission then (what is posted before the answer is lost) and is told to show alerts
// while Ventoria is frontmost too; the freedesktop service needs nothing.
void prepareNotifications();

}  // namespace ventoria::ui
