#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ventoria::hardware {

// `value` as the bytes of SMC data type `type` for a key of `size` bytes. Out-of-range values
// are clamped; values that are no number at all store as 0.
std::vector<std::uint8_t> encode(double value, std::string_view type, std::uint32_t size);

}  // namespace ventoria::hardware
