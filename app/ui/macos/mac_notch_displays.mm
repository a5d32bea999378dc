// The Mac's screens: the first with a top safe-area inset and an auxiliary top-left area has
// a camera housing, as wide as the screen less its two auxiliary top areas.

#include "mac_notch_displays.h"

#import <AppKit/AppKit.h>

#include <QGuiApplication>

namespace ventoria::ui {

MacNotchDisplays::MacNotchDisplays() {
    id observer = [[NSNotificationCenter defaultCenter]
        addObserverForName:NSApplicationDidChangeScreenParametersNotification
                    object:nil
                     queue:[NSOperationQueue mainQueue]
                usingBlock:^(NSNotification*) {
                  emit changed();
                }];
    observer_ = (__bridge_retained void*)observer;
}

MacNotchDisplays::~MacNotchDisplays() {
    id observer = (__bridge_transfer id)observer_;
    [[NSNotificationCenter defaultCenter] removeObserver:observer];
}

std::optional<NotchScreen> MacNotchDisplays::notchScreen() {
    for (NSScreen* screen in NSScreen.screens) {
        if (screen.safeAreaInsets.top <= 0 || NSIsEmptyRect(screen.auxiliaryTopLeftArea)) continue;
        NSRect frame = screen.frame;
        CGFloat width = frame.size.width - screen.auxiliaryTopLeftArea.size.width -
                        screen.auxiliaryTopRightArea.size.width;
        // Qt's coordinates run down from the top of the primary screen.
        CGFloat primaryTop = NSMaxY(NSScreen.screens.firstObject.frame);
        QRect qtFrame(static_cast<int>(frame.origin.x),
                      static_cast<int>(primaryTop - NSMaxY(frame)),
                      static_cast<int>(frame.size.width), static_cast<int>(frame.size.height));
        return NotchScreen{
            qtFrame, QSize(static_cast<int>(width), static_cast<int>(screen.safeAreaInsets.top))};
    }
    return std::nullopt;
}

std::unique_ptr<NotchDisplays> systemNotchDisplays() {
    return std::make_unique<MacNotchDisplays>();
}

}  // namespace ventoria::ui
