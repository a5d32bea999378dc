#pragma once
// The speed a fixed share of full speed asks of a fan: what the helper writes as the fan's
// target, and what the application expects the fan to reach.

#include <optional>

namespace ventoria::hardware {

// No fan spins this fast; a larger maximum is the SMC's nonsense.
inline constexpr double kMaxPlausibleRPM = 100'000;

// The target for `fraction` of a fan's maximum, never below its minimum: the fraction scales
// the maximum, it is not a position between minimum and maximum. Nothing when the limits are
// no speeds a fan could have (unread, not finite, negative, or a maximum not above the
// minimum): such a fan is left to the machine.
std::optional<double> fanTarget(std::optional<double> min, std::optional<double> max,
                                double fraction);

}  // namespace ventoria::hardware
