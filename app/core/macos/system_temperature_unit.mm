// The Mac's own choice: the Temperature setting of Language & Region (macOS 13 and later keep
// it as AppleTemperatureUnit), or else the region's measurement system.

#import <Foundation/Foundation.h>

#include "ventoria/app/settings.h"

namespace ventoria::app {

TemperatureUnit systemTemperatureUnit() {
    NSString* chosen = [[NSUserDefaults standardUserDefaults] stringForKey:@"AppleTemperatureUnit"];
    if (chosen) {
        return [chosen isEqualToString:@"Fahrenheit"] ? TemperatureUnit::fahrenheit
                                                      : TemperatureUnit::celsius;
    }
    return [[NSLocale currentLocale] usesMetricSystem] ? TemperatureUnit::celsius
                                                       : TemperatureUnit::fahrenheit;
}

}  // namespace ventoria::app
