#pragma once
// Each group of ventoriactl's commands registers itself on the command line and runs when
// chosen. A runner returns the process's exit status.

#include <CLI/CLI.hpp>
#include <cmath>
#include <functional>

namespace ventoria::ctl {

using Runner = std::function<int()>;

// A finite number from `low` to `high`. CLI11's own number checks let "nan" through, and
// "1e300" seconds overflows any clock.
inline CLI::Validator finiteRange(double low, double high) {
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            double value = 0;
            if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value < low ||
                value > high) {
                return "must be a number from " + CLI::detail::to_string(low) + " to " +
                       CLI::detail::to_string(high) + ", not " + text;
            }
            return {};
        },
        "NUMBER in [" + CLI::detail::to_string(low) + " - " + CLI::detail::to_string(high) + "]");
}

// Seconds to hold or wait: up to a year.
inline constexpr double kLongestSeconds = 365.0 * 24 * 3600;

// smc keys, smc read, fans, temps, watch: reading the hardware directly.
void addHardwareCommands(CLI::App& app, Runner& chosen);
// helper version|fraction|auto|smart|status: one request to VentoriaHelper.
void addHelperCommands(CLI::App& app, Runner& chosen);
// status, select, presets: the application's fan model, headless.
void addModelCommands(CLI::App& app, Runner& chosen);
// sensors, history: what the Details window shows.
void addDetailsCommands(CLI::App& app, Runner& chosen);
// settings: what the Settings window holds.
void addSettingsCommands(CLI::App& app, Runner& chosen);

}  // namespace ventoria::ctl
