#include "ventoria/hardware/smc_codec.h"

#include <bit>

namespace ventoria::hardware {
namespace {

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes, std::size_t count) {
    std::uint32_t n = 0;
    for (std::size_t i = 0; i < count; ++i) n = (n << 8) | bytes[i];
    return n;
}

}  // namespace

std::string fourChars(std::string name) {
    if (name.size() < 4) name.resize(4, ' ');
    return name;
}

std::uint32_t fourCharCode(std::string_view key) {
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < key.size() && i < 4; ++i) {
        code = (code << 8) | static_cast<std::uint8_t>(key[i]);
    }
    return code;
}

std::string keyString(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        auto byte = static_cast<std::uint8_t>(code >> shift);
        if (byte > 0x7F) return {};
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

double decode(std::span<const std::uint8_t> bytes, std::string_view type) {
    if (type == "flt " && bytes.size() >= 4) {
        std::uint32_t bits = static_cast<std::uint32_t>(bytes[0]) | bytes[1] << 8 | bytes[2] << 16 |
                             static_cast<std::uint32_t>(bytes[3]) << 24;
        return std::bit_cast<float>(bits);
    }
    if (type == "fpe2" && bytes.size() >= 2) return bigEndian(bytes, 2) / 4.0;
    // Signed fixed point with 8 fraction bits: Intel Macs publish temperatures this way.
    if (type == "sp78" && bytes.size() >= 2) {
        return static_cast<std::int16_t>(bigEndian(bytes, 2)) / 256.0;
    }
    if (type == "ui8 " && bytes.size() >= 1) return bytes[0];
    if (type == "flag" && bytes.size() >= 1) return bytes[0];
    if (type == "si8 " && bytes.size() >= 1) return static_cast<std::int8_t>(bytes[0]);
    if (type == "ui16" && bytes.size() >= 2) return bigEndian(bytes, 2);
    if (type == "si16" && bytes.size() >= 2) return static_cast<std::int16_t>(bigEndian(bytes, 2));
    if (type == "ui32" && bytes.size() >= 4) return bigEndian(bytes, 4);
    return 0;
}

}  // namespace ventoria::hardware
