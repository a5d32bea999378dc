#include "ventoria/hardware/smc_encode.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace ventoria::hardware {
namespace {

// trunc(value) clamped to 0…max; NaN counts as 0.
std::uint32_t clampedWhole(double value, double max) {
    if (std::isnan(value)) return 0;
    return static_cast<std::uint32_t>(std::clamp(std::trunc(value), 0.0, max));
}

std::vector<std::uint8_t> bigEndian(std::uint32_t n, int bytes) {
    std::vector<std::uint8_t> out;
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    return out;
}

}  // namespace

std::vector<std::uint8_t> encode(double value, std::string_view type, std::uint32_t size) {
    if (type == "flt ") {
        constexpr double kLargest = std::numeric_limits<float>::max();
        if (std::isfinite(value)) value = std::clamp(value, -kLargest, kLargest);
        auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
        return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    }
    if (type == "fpe2") return bigEndian(clampedWhole(value * 4, 65535), 2);
    if (type == "ui16") return bigEndian(clampedWhole(value, 65535), 2);
    if (type == "ui32") return bigEndian(clampedWhole(value, 4294967295.0), 4);
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(clampedWhole(value, 255))};
    // A key's size is the SMC's word; no write carries more than the record's 32 bytes.
    if (size >= 2) out.resize(std::min<std::uint32_t>(size, 32), 0);
    return out;
}

}  // namespace ventoria::hardware
