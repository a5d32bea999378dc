#pragma once
// Which temperature keys stand for the chip and which for the chassis: what Thermals watches
// and how the sensor list groups them.

#include <array>
#include <string_view>

namespace ventoria::hardware {

// Apple silicon names its die sensors by family (performance cores, efficiency cores, GPU).
inline constexpr std::array<std::string_view, 3> kChipPrefixes = {"Tp0", "Te0", "Tg"};
// Intel Macs name theirs one by one.
inline constexpr std::array<std::string_view, 7> kNamedChipKeys = {"TC0D", "TC0E", "TC0F", "TC0P",
                                                                   "TCXC", "TG0D", "TG0P"};
inline constexpr std::array<std::string_view, 3> kChassisKeys = {"TaLP", "TaRF", "TA0P"};

}  // namespace ventoria::hardware
