// The virtual Mac has no measurement setting: Celsius, as on a Mac set to metric.

#include "ventoria/app/settings.h"

namespace ventoria::app {

TemperatureUnit systemTemperatureUnit() {
    return TemperatureUnit::celsius;
}

}  // namespace ventoria::app
