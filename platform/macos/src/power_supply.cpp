// The power source that provides power now, from IOKit's power-source snapshot.

#include "ventoria/platform/power_supply.h"

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/ps/IOPSKeys.h>
#include <IOKit/ps/IOPowerSources.h>

namespace ventoria::platform {

std::optional<bool> onBattery() {
    CFTypeRef info = IOPSCopyPowerSourcesInfo();
    if (!info) return std::nullopt;
    CFStringRef type = IOPSGetProvidingPowerSourceType(info);  // not owned: lives with `info`
    std::optional<bool> battery;
    if (type) {
        battery = CFStringCompare(type, CFSTR(kIOPMBatteryPowerKey), 0) == kCFCompareEqualTo;
    }
    CFRelease(info);
    return battery;
}

}  // namespace ventoria::platform
