#pragma once
// Every temperature sensor the SMC has, for the Details view and `ventoriactl sensors`: what
// each is, where it belongs, and what it reads. The list is built once; reading it costs one
// SMC call per sensor, so it is read only while someone looks.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ventoria/hardware/smc_reader.h"

namespace ventoria::hardware {

enum class SensorGroup { chip, chassis, battery, other };
// "chip", "case", "battery", "other": the words the interface uses
std::string_view rawValue(SensorGroup group);
// "Chip", "Case", "Battery", "Other"
std::string_view displayName(SensorGroup group);

// The group Ventoria puts `key` in: the chip and chassis sensors it controls by, the battery's
// ("TB…"), and everything else.
SensorGroup sensorGroup(std::string_view key);
// What a key with a well-known meaning measures ("CPU proximity", "Battery 1"); empty for the
// others, which are shown by their key.
std::string sensorName(std::string_view key);

struct SensorReading {
    std::string key;
    std::string name;  // empty when the key has no well-known meaning
    SensorGroup group = SensorGroup::other;
    std::optional<double> celsius;  // nothing when unreadable or no temperature at all

    bool operator==(const SensorReading&) const = default;
};

class SensorCatalog {
  public:
    // Finds every key that starts with "T" and holds a temperature type. Never fails: an SMC
    // without such keys has no sensors.
    explicit SensorCatalog(std::shared_ptr<SMCReader> smc);

    // Each sensor read afresh, grouped in the order of SensorGroup and by key within a group.
    // Never throws.
    std::vector<SensorReading> read();
    const std::vector<std::string>& keys() const { return keys_; }

  private:
    std::shared_ptr<SMCReader> smc_;
    std::vector<std::string> keys_;  // in the order read() reports them
};

}  // namespace ventoria::hardware
