#include "ventoria/smart/smart_records.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace ventoria::smart {
namespace {

using nlohmann::json;

template <typename Enum, std::size_t N>
std::optional<Enum> fromRaw(const std::array<std::pair<Enum, std::string_view>, N>& table,
                            std::string_view raw) {
    for (const auto& [value, name] : table) {
        if (name == raw) return value;
    }
    return std::nullopt;
}

template <typename Enum, std::size_t N>
std::string_view toRaw(const std::array<std::pair<Enum, std::string_view>, N>& table, Enum value) {
    for (const auto& [candidate, name] : table) {
        if (candidate == value) return name;
    }
    return {};
}

constexpr std::array<std::pair<Aggressiveness, std::string_view>, 3> kAggressiveness = {{
    {Aggressiveness::gentle, "gentle"},
    {Aggressiveness::normal, "normal"},
    {Aggressiveness::aggressive, "aggressive"},
}};
constexpr std::array<std::pair<SmartDriver, std::string_view>, 5> kDrivers = {{
    {SmartDriver::none, "none"},
    {SmartDriver::chip, "chip"},
    {SmartDriver::chassis, "chassis"},
    {SmartDriver::minimum, "minimum"},
    {SmartDriver::safety, "safety"},
}};
constexpr std::array<std::pair<Phase, std::string_view>, 4> kPhases = {{
    {Phase::idle, "idle"},
    {Phase::cooldown, "cooldown"},
    {Phase::boost, "boost"},
    {Phase::safety, "safety"},
}};

std::optional<json> parseObject(std::string_view text) {
    json document = json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    return document;
}

const json* member(const json& object, const char* key) {
    auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

// A whole number that fits 64 bits, written with or without a fraction of zero.
std::optional<std::int64_t> integer(const json* value) {
    if (!value) return std::nullopt;
    if (value->is_number_integer() && !value->is_number_unsigned()) {
        return value->get<std::int64_t>();
    }
    if (value->is_number_unsigned()) {
        auto n = value->get<std::uint64_t>();
        if (n > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
        return static_cast<std::int64_t>(n);
    }
    if (value->is_number_float()) {
        double d = value->get<double>();
        // 2^63 itself does not fit; -2^63 does.
        if (!std::isfinite(d) || std::trunc(d) != d || d < -9223372036854775808.0 ||
            d >= 9223372036854775808.0) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(d);
    }
    return std::nullopt;
}

std::optional<std::string> string(const json* value) {
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

}  // namespace

std::string_view rawValue(Aggressiveness value) {
    return toRaw(kAggressiveness, value);
}
std::string_view rawValue(SmartDriver value) {
    return toRaw(kDrivers, value);
}
std::string_view rawValue(Phase value) {
    return toRaw(kPhases, value);
}

std::optional<Aggressiveness> aggressivenessFromRaw(std::string_view raw) {
    return fromRaw(kAggressiveness, raw);
}
std::optional<SmartDriver> smartDriverFromRaw(std::string_view raw) {
    return fromRaw(kDrivers, raw);
}
std::optional<Phase> phaseFromRaw(std::string_view raw) {
    return fromRaw(kPhases, raw);
}

std::optional<std::string> encode(const SmartSettings& settings) {
    return json{{"minimum", settings.minimum},
                {"aggressiveness", std::string(rawValue(settings.aggressiveness))}}
        .dump();
}

std::optional<std::string> encode(const SmartStatus& status) {
    if (!std::isfinite(status.level)) return std::nullopt;
    json object = {{"phase", std::string(rawValue(status.phase))},
                   {"driver", std::string(rawValue(status.driver))},
                   {"level", status.level},
                   {"cooldown", status.cooldown}};
    if (status.chipUnreadable) object["chipUnreadable"] = true;
    return object.dump();
}

std::optional<SmartSettings> decodeSmartSettings(std::string_view text) {
    if (text.size() > kMaxSettingsSize) return std::nullopt;
    auto object = parseObject(text);
    if (!object) return std::nullopt;
    auto minimum = integer(member(*object, "minimum"));
    auto raw = string(member(*object, "aggressiveness"));
    auto aggressiveness = raw ? aggressivenessFromRaw(*raw) : std::nullopt;
    if (!minimum || !aggressiveness) return std::nullopt;
    return SmartSettings{*minimum, *aggressiveness};
}

std::optional<SmartStatus> decodeSmartStatus(std::string_view text) {
    auto object = parseObject(text);
    if (!object) return std::nullopt;
    auto phaseRaw = string(member(*object, "phase"));
    auto driverRaw = string(member(*object, "driver"));
    auto phase = phaseRaw ? phaseFromRaw(*phaseRaw) : std::nullopt;
    auto driver = driverRaw ? smartDriverFromRaw(*driverRaw) : std::nullopt;
    const json* level = member(*object, "level");
    auto cooldown = integer(member(*object, "cooldown"));
    const json* chipUnreadable = member(*object, "chipUnreadable");
    if (!phase || !driver || !level || !level->is_number() || !cooldown ||
        (chipUnreadable && !chipUnreadable->is_boolean())) {
        return std::nullopt;
    }
    return SmartStatus{*phase, *driver, level->get<double>(), *cooldown,
                       chipUnreadable && chipUnreadable->get<bool>()};
}

}  // namespace ventoria::smart
