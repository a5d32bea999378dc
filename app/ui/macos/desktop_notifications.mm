// Notification Center through the User Notifications framework. Permission is asked once, on
// the first notification; until the user grants it, the system drops what is posted.

#include "desktop_notifications.h"

#import <Foundation/Foundation.h>
#import <UserNotifications/UserNotifications.h>

namespace ventoria::ui {

void postNotification(const QString& title, const QString& body) {
    UNUserNotificationCenter* center = [UNUserNotificationCenter currentNotificationCenter];
    static dispatch_once_t asked;
    dispatch_once(&asked, ^{
      [center
          requestAuthorizationWithOptions:UNAuthorizationOptionAlert | UNAuthorizationOptionSound
                        completionHandler:^(BOOL, NSError*){
                        }];
    });
    UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
    content.title = title.toNSString();
    content.body = body.toNSString();
    UNNotificationRequest* request =
        [UNNotificationRequest requestWithIdentifier:[[NSUUID UUID] UUIDString]
                                             content:content
                                             trigger:nil];
    [center addNotificationRequest:request withCompletionHandler:nil];
}

}  // namespace ventoria::ui
