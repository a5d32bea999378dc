#pragma once

#include <cmath>
#include <cstdint>

namespace ventoria::hardware {

// A decoded SMC number as a whole number, truncated toward zero. What is no number at all,
// or too large to count with, is 0.
inline std::int64_t wholeNumber(double value) {
    if (!std::isfinite(value) || std::abs(value) >= 9.2e18) return 0;
    return static_cast<std::int64_t>(value);
}

}  // namespace ventoria::hardware
