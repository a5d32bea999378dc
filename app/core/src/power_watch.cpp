#include "ventoria/app/power_watch.h"

namespace ventoria::app {

PowerWatch::PowerWatch(OnBattery onBattery) : onBattery_(std::move(onBattery)) {}

bool PowerWatch::changed() {
    auto battery = onBattery_();
    if (!battery) return false;  // a source that cannot be told keeps the one last known
    auto source = *battery ? PowerSource::battery : PowerSource::charger;
    bool changed = source_ && *source_ != source;
    source_ = source;
    return changed;
}

}  // namespace ventoria::app
