#include "screen_presence.h"

#include <CoreGraphics/CoreGraphics.h>

namespace ventoria::ui {

bool sessionHasScreen() {
    // Nothing outside a window-server (Quartz GUI) session, as over ssh.
    CFDictionaryRef session = CGSessionCopyCurrentDictionary();
    if (!session) return false;
    CFRelease(session);
    return true;
}

}  // namespace ventoria::ui
