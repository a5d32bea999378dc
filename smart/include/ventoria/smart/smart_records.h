#pragma once
// What the user chooses for Smart control and what the Smart controller reports. Both cross
// the process boundary as JSON and are stored by the application in the same form.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ventoria::smart {

enum class Aggressiveness { gentle, normal, aggressive };
inline constexpr std::array kAllAggressiveness = {Aggressiveness::gentle, Aggressiveness::normal,
                                                  Aggressiveness::aggressive};

// Which input set the Smart level in the latest step.
enum class SmartDriver { none, chip, chassis, minimum, safety };

// The controller's state in the latest step.
enum class Phase { idle, cooldown, boost, safety };

std::string_view rawValue(Aggressiveness value);
std::string_view rawValue(SmartDriver value);
std::string_view rawValue(Phase value);
std::optional<Aggressiveness> aggressivenessFromRaw(std::string_view raw);
std::optional<SmartDriver> smartDriverFromRaw(std::string_view raw);
std::optional<Phase> phaseFromRaw(std::string_view raw);

struct SmartSettings {
    std::int64_t minimum = 0;  // floor in percent of maximum; 0 or less: no floor
    Aggressiveness aggressiveness = Aggressiveness::normal;

    bool operator==(const SmartSettings&) const = default;
};

struct SmartStatus {
    Phase phase = Phase::idle;
    SmartDriver driver = SmartDriver::none;
    double level = 0;           // fraction of maximum fan speed the controller commands
    std::int64_t cooldown = 0;  // whole seconds left before handing back
    // No chip temperature could be read for a while, so the machine has the fans. Travels as
    // "chipUnreadable": true, and only when true, so that the record is otherwise unchanged.
    bool chipUnreadable = false;

    bool operator==(const SmartStatus&) const = default;
};

// The largest Smart settings record that is read at all: the two keys with plenty of room for
// keys a newer application may add beside them. A larger one is invalid, like any malformed one.
inline constexpr std::size_t kMaxSettingsSize = 4096;

// Compact JSON objects. Encoding fails (nothing) only for a level that is not finite.
std::optional<std::string> encode(const SmartSettings& settings);
std::optional<std::string> encode(const SmartStatus& status);

// Strict decoding (settings of at most kMaxSettingsSize bytes): an object with every key present
// and non-null, exact raw values, integers without a fractional part that fit 64 bits; keys it does
// not know are ignored. Anything else decodes to nothing.
std::optional<SmartSettings> decodeSmartSettings(std::string_view json);
std::optional<SmartStatus> decodeSmartStatus(std::string_view json);

}  // namespace ventoria::smart
