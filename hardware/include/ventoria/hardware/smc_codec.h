#pragma once
// Reading SMC values: key codes and the numeric data types.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ventoria::hardware {

// The key's first four UTF-8 bytes as a big-endian number; a shorter key gives only its own
// bytes ("AB" is 0x4142).
std::uint32_t fourCharCode(std::string_view key);

// A key or type name as typed, padded to four characters: "FS!" stands for "FS! ".
std::string fourChars(std::string name);

// The four bytes of `code`, most significant first, as ASCII; empty when they are not ASCII.
std::string keyString(std::uint32_t code);

// The number `bytes` hold in SMC data type `type`; 0 for an unknown type or too few bytes.
double decode(std::span<const std::uint8_t> bytes, std::string_view type);

}  // namespace ventoria::hardware
