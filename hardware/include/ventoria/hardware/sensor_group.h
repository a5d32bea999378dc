#pragma once
// Where a temperature sensor belongs, for control and for the sensor list.

#include <string>
#include <string_view>

namespace ventoria::hardware {

enum class SensorGroup { chip, chassis, battery, other };
// "chip", "case", "battery", "other": the words the interface uses
std::string_view rawValue(SensorGroup group);
// "Chip", "Case", "Battery", "Other"
std::string_view displayName(SensorGroup group);

// The group Ventoria puts the SMC key `key` in: the chip and chassis sensors it controls by,
// the battery's ("TB…"), and everything else.
SensorGroup sensorGroup(std::string_view key);
// What an SMC key with a well-known meaning measures ("CPU proximity", "Battery 1"); empty for
// the others, which are shown by their key.
std::string sensorName(std::string_view key);

}  // namespace ventoria::hardware
