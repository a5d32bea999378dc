// The Mac's login items, through the Service Management framework's main-app service (macOS
// 13 and later). The system may also leave the item waiting for the user's approval in
// System Settings; only an enabled item counts as launching at login.

#include "ventoria/app/login_item.h"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

namespace ventoria::app {

bool launchesAtLogin() {
    if (@available(macOS 13.0, *)) {
        return SMAppService.mainAppService.status == SMAppServiceStatusEnabled;
    }
    return false;
}

std::optional<std::string> setLaunchAtLogin(bool on) {
    if (@available(macOS 13.0, *)) {
        NSError* error = nil;
        BOOL done = on ? [SMAppService.mainAppService registerAndReturnError:&error]
                       : [SMAppService.mainAppService unregisterAndReturnError:&error];
        if (done) return std::nullopt;
        const char* reason = error.localizedDescription.UTF8String;
        return std::string(reason ? reason : "the system refused");
    }
    return std::string("launch at login needs macOS 13 or later");
}

}  // namespace ventoria::app
