// The Mac: Qt makes an NSPanel for a Tool window; what it does not set is set here on it.

#include "native_window.h"

#import <AppKit/AppKit.h>

namespace ventoria::ui {
namespace {

NSWindow* nativeWindow(QWidget& widget) {
    auto* view = (__bridge NSView*)reinterpret_cast<void*>(widget.winId());
    return view.window;
}

}  // namespace

Qt::WindowFlags notchPanelFlags() {
    return Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
}

Qt::WindowFlags editorFlags() {
    return Qt::Tool | Qt::WindowStaysOnTopHint;
}

void styleNotchPanel(QWidget& widget) {
    NSWindow* window = nativeWindow(widget);
    // Above the menu bar; a borderless window's frame is not pulled below it.
    window.level = NSMainMenuWindowLevel + 1;
    window.collectionBehavior =
        NSWindowCollectionBehaviorCanJoinAllSpaces | NSWindowCollectionBehaviorFullScreenAuxiliary |
        NSWindowCollectionBehaviorStationary | NSWindowCollectionBehaviorIgnoresCycle;
    window.hidesOnDeactivate = NO;
    window.canHide = NO;
    window.hasShadow = NO;
    if ([window isKindOfClass:[NSPanel class]]) {
        // Clicks reach the panel without taking focus from the frontmost application.
        window.styleMask |= NSWindowStyleMaskNonactivatingPanel;
        static_cast<NSPanel*>(window).becomesKeyOnlyIfNeeded = YES;
    }
}

bool systemDrawsCloseControl() {
    return true;  // styleEditor's titled, closable panel
}

void styleEditor(QWidget& widget) {
    NSWindow* window = nativeWindow(widget);
    window.styleMask |=
        NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskFullSizeContentView;
    window.titlebarAppearsTransparent = YES;
    window.titleVisibility = NSWindowTitleHidden;
    window.movableByWindowBackground = YES;
    window.level = NSFloatingWindowLevel;
    window.hidesOnDeactivate = NO;
}

std::shared_ptr<void> watchClicksElsewhere(std::function<void()> onClick) {
    auto handler = std::move(onClick);
    id monitor = [NSEvent
        addGlobalMonitorForEventsMatchingMask:(NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown)
                                      handler:^(NSEvent*) {
                                        handler();
                                      }];
    if (!monitor) return nullptr;  // the user has not allowed this application to watch input
    return std::shared_ptr<void>((__bridge_retained void*)monitor, [](void* token) {
        [NSEvent removeMonitor:(__bridge_transfer id)token];
    });
}

}  // namespace ventoria::ui
