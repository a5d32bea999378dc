#include "ventoria/hardware/fan_target.h"

#include <algorithm>
#include <cmath>

namespace ventoria::hardware {
namespace {

bool plausibleSpeed(double rpm) {
    return std::isfinite(rpm) && rpm >= 0 && rpm <= kMaxPlausibleRPM;
}

}  // namespace

std::optional<double> fanTarget(std::optional<double> min, std::optional<double> max,
                                double fraction) {
    if (!min || !max || !plausibleSpeed(*min) || !plausibleSpeed(*max) || *max <= *min ||
        !std::isfinite(fraction)) {
        return std::nullopt;
    }
    return std::clamp(*max * fraction, *min, *max);
}

}  // namespace ventoria::hardware
