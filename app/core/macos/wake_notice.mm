// On a Mac a wake is NSWorkspaceDidWakeNotification, posted on the workspace's own
// notification centre (not the default one) on the main thread.

#include "ventoria/app/wake_notice.h"

#import <AppKit/AppKit.h>

namespace ventoria::app {

struct WakeNotice::System {
    id observer;  // held strongly (ARC) until the notice goes
};

WakeNotice::WakeNotice(QObject* parent) : QObject(parent) {
    NSNotificationCenter* center = [[NSWorkspace sharedWorkspace] notificationCenter];
    id observer = [center addObserverForName:NSWorkspaceDidWakeNotification
                                      object:nil
                                       queue:[NSOperationQueue mainQueue]
                                  usingBlock:^(NSNotification*) {
                                    emit woke();
                                  }];
    system_ = std::make_unique<System>(System{observer});
}

WakeNotice::~WakeNotice() {
    if (system_)
        [[[NSWorkspace sharedWorkspace] notificationCenter] removeObserver:system_->observer];
}

}  // namespace ventoria::app
