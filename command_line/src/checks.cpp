#include "ventoria/command_line/checks.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace ventoria::command_line {
namespace {

// 0.1 rather than 0.100000, 31536000 rather than 3.1536e+07. (Not std::to_chars: Apple's
// libc++ has it for doubles only on recent systems.)
std::string shortest(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::optional<long long> whole(const std::string& text) {
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

CLI::Validator finiteRange(double low, double high) {
    auto bounds = shortest(low) + " to " + shortest(high);
    return CLI::Validator(
        [low, high, bounds](std::string& text) -> std::string {
            double value = 0;
            if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value < low ||
                value > high) {
                return "must be a number from " + bounds + ", not " + text;
            }
            return {};
        },
        "NUMBER " + bounds);
}

CLI::Validator wholeRange(long long low, long long high) {
    auto bounds = std::to_string(low) + " to " + std::to_string(high);
    return CLI::Validator(
        [low, high, bounds](std::string& text) -> std::string {
            auto value = whole(text);
            if (!value || *value < low || *value > high) {
                return "must be a whole number from " + bounds + ", not " + text;
            }
            return {};
        },
        "WHOLE " + bounds);
}

CLI::Validator steppedRange(long low, long high, long step) {
    auto bounds = std::to_string(low) + " to " + std::to_string(high) + " in steps of " +
                  std::to_string(step);
    return CLI::Validator(
        [low, high, step, bounds](std::string& text) -> std::string {
            auto value = whole(text);
            if (!value || *value < low || *value > high || (*value - low) % step != 0) {
                return "must be " + bounds + ", not " + text;
            }
            return {};
        },
        "WHOLE " + bounds);
}

}  // namespace ventoria::command_line
