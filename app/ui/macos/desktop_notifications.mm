// Notification Center through the User Notifications framework. Permission is asked at start:
// what is posted before the user has answered is dropped, so asking on the first alert would
// lose that alert.

#include "desktop_notifications.h"

#import <Foundation/Foundation.h>
#import <UserNotifications/UserNotifications.h>

// Without a delegate that says otherwise, the system drops an alert while its application is
// frontmost, which a menu-bar application is whenever its popover is open.
@interface VentoriaNotificationPresenter : NSObject <UNUserNotificationCenterDelegate>
@end

@implementation VentoriaNotificationPresenter
- (void)userNotificationCenter:(UNUserNotificationCenter*)center
       willPresentNotification:(UNNotification*)notification
         withCompletionHandler:(void (^)(UNNotificationPresentationOptions))completionHandler {
    completionHandler(UNNotificationPresentationOptionBanner |
                      UNNotificationPresentationOptionSound);
}
@end

namespace ventoria::ui {

void prepareNotifications() {
    // The centre holds its delegate weakly: this one lives as long as the process.
    static VentoriaNotificationPresenter* presenter = [[VentoriaNotificationPresenter alloc] init];
    UNUserNotificationCenter* center = [UNUserNotificationCenter currentNotificationCenter];
    center.delegate = presenter;
    [center requestAuthorizationWithOptions:UNAuthorizationOptionAlert | UNAuthorizationOptionSound
                          completionHandler:^(BOOL, NSError*){
                          }];
}

void postNotification(const QString& title, const QString& body) {
    UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
    content.title = title.toNSString();
    content.body = body.toNSString();
    UNNotificationRequest* request =
        [UNNotificationRequest requestWithIdentifier:[[NSUUID UUID] UUIDString]
                                             content:content
                                             trigger:nil];
    [[UNUserNotificationCenter currentNotificationCenter] addNotificationRequest:request
                                                           withCompletionHandler:nil];
}

}  // namespace ventoria::ui
