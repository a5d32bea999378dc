#include "ventoria/smart/smart_curves.h"

#include <cassert>
#include <cstddef>
#include <iterator>

namespace ventoria::smart {
namespace {

// Indexed by aggressiveness: gentle, normal, aggressive.
constexpr CurveRange kChip[] = {{75.0, 98.0}, {68.0, 95.0}, {60.0, 90.0}};
constexpr CurveRange kChassis[] = {{42.0, 55.0}, {38.0, 52.0}, {35.0, 48.0}};

}  // namespace

CurveRange chipCurve(Aggressiveness aggressiveness) {
    assert(static_cast<std::size_t>(aggressiveness) < std::size(kChip));
    return kChip[static_cast<std::size_t>(aggressiveness)];
}

CurveRange chassisCurve(Aggressiveness aggressiveness) {
    assert(static_cast<std::size_t>(aggressiveness) < std::size(kChassis));
    return kChassis[static_cast<std::size_t>(aggressiveness)];
}

std::optional<double> curveLevel(CurveRange range, double t) {
    if (!(t >= range.start)) return std::nullopt;
    if (t >= range.full) return 100.0;
    return kCurveFloor + kCurveSpan * (t - range.start) / (range.full - range.start);
}

}  // namespace ventoria::smart
