#include "ventoria/sim/value_codec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace ventoria::sim {
namespace {

std::uint64_t clampedWhole(double value, double max) {
    if (!(value > 0)) return 0;
    return static_cast<std::uint64_t>(std::min(std::trunc(value), max));
}

std::int64_t clampedSigned(double value, double min, double max) {
    if (std::isnan(value)) return 0;
    return static_cast<std::int64_t>(std::clamp(std::trunc(value), min, max));
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint64_t n, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
}

std::uint64_t bigEndian(std::span<const std::uint8_t> bytes, std::size_t count) {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < count; ++i) n = (n << 8) | bytes[i];
    return n;
}

}  // namespace

std::uint32_t codeOf(std::string_view fourChars) {
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        auto c = i < fourChars.size() ? static_cast<std::uint8_t>(fourChars[i]) : std::uint8_t{' '};
        code = (code << 8) | c;
    }
    return code;
}

std::string nameOf(std::uint32_t code) {
    std::string name(4, ' ');
    for (int i = 0; i < 4; ++i)
        name[static_cast<std::size_t>(i)] = static_cast<char>(code >> (24 - 8 * i));
    return name;
}

std::optional<std::vector<std::uint8_t>> encodeValue(std::string_view type, double value,
                                                     std::uint32_t size) {
    std::vector<std::uint8_t> out;
    if (type == "flt ") {
        auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    } else if (type == "fpe2") {
        putBigEndian(out, clampedWhole(value * 4, 65535), 2);
    } else if (type == "sp78") {
        auto n = clampedSigned(value * 256, -32768, 32767);
        putBigEndian(out, static_cast<std::uint16_t>(n), 2);
    } else if (type == "ui8 " || type == "flag") {
        putBigEndian(out, clampedWhole(value, 255), 1);
    } else if (type == "si8 ") {
        putBigEndian(out, static_cast<std::uint8_t>(clampedSigned(value, -128, 127)), 1);
    } else if (type == "ui16") {
        putBigEndian(out, clampedWhole(value, 65535), 2);
    } else if (type == "si16") {
        putBigEndian(out, static_cast<std::uint16_t>(clampedSigned(value, -32768, 32767)), 2);
    } else if (type == "ui32") {
        putBigEndian(out, clampedWhole(value, 4294967295.0), 4);
    } else {
        return std::nullopt;
    }
    out.resize(std::max<std::size_t>(out.size(), std::min<std::size_t>(size, 32)), 0);
    return out;
}

std::optional<double> decodeValue(std::string_view type, std::span<const std::uint8_t> bytes) {
    auto need = [&](std::size_t n) { return bytes.size() >= n; };
    if (type == "flt " && need(4)) {
        std::uint32_t bits = 0;
        for (int i = 3; i >= 0; --i) bits = (bits << 8) | bytes[static_cast<std::size_t>(i)];
        return std::bit_cast<float>(bits);
    }
    if (type == "fpe2" && need(2)) return static_cast<double>(bigEndian(bytes, 2)) / 4.0;
    if (type == "sp78" && need(2)) {
        return static_cast<std::int16_t>(bigEndian(bytes, 2)) / 256.0;
    }
    if ((type == "ui8 " || type == "flag") && need(1)) return bytes[0];
    if (type == "si8 " && need(1)) return static_cast<std::int8_t>(bytes[0]);
    if (type == "ui16" && need(2)) return static_cast<double>(bigEndian(bytes, 2));
    if (type == "si16" && need(2)) return static_cast<std::int16_t>(bigEndian(bytes, 2));
    if (type == "ui32" && need(4)) return static_cast<double>(bigEndian(bytes, 4));
    return std::nullopt;
}

}  // namespace ventoria::sim
