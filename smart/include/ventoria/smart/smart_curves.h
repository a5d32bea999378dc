#pragma once
// The Smart temperature curves: where each curve starts (at 25 %) and where it reaches full
// speed. The helper's controller and the application's editor and chart share these values.

#include <optional>

#include "ventoria/smart/smart_records.h"

namespace ventoria::smart {

struct CurveRange {
    double start;  // °C where the curve jumps from 0 to 25 %
    double full;   // °C where it reaches 100 %
};

CurveRange chipCurve(Aggressiveness aggressiveness);
CurveRange chassisCurve(Aggressiveness aggressiveness);

inline constexpr double kCurveFloor = 25.0;
inline constexpr double kCurveSpan = 75.0;

// The demanded level in percent for temperature `t`, or nothing below the curve's start.
std::optional<double> curveLevel(CurveRange range, double t);

}  // namespace ventoria::smart
