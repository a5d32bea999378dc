#pragma once
// The machine side of the SMC data types: how the virtual Mac stores a number in a key.
// It is written apart from the hardware layer on purpose: the layer under test must not
// be its own oracle.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ventoria::sim {

std::uint32_t codeOf(std::string_view fourChars);
std::string nameOf(std::uint32_t code);

// Bytes holding `value` in `type`, or nothing when the type has no numeric form.
std::optional<std::vector<std::uint8_t>> encodeValue(std::string_view type, double value,
                                                     std::uint32_t size);
// The number `bytes` hold in `type`, or nothing when the type has no numeric form.
std::optional<double> decodeValue(std::string_view type, std::span<const std::uint8_t> bytes);

}  // namespace ventoria::sim
