#pragma once
// Each group of ventoriactl's commands registers itself on the command line and runs when
// chosen. A runner returns the process's exit status.

#include <CLI/CLI.hpp>
#include <functional>

#include "ventoria/command_line/checks.h"

namespace ventoria::ctl {

using Runner = std::function<int()>;
using command_line::finiteRange;

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
// doctor: what this machine offers Ventoria.
void addDoctorCommand(CLI::App& app, Runner& chosen);
// settings: what the Settings window holds.
void addSettingsCommands(CLI::App& app, Runner& chosen);

}  // namespace ventoria::ctl
