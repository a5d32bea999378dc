#pragma once
// Each group of ventoriactl's commands registers itself on the command line and runs when
// chosen. A runner returns the process's exit status.

#include <CLI/CLI.hpp>
#include <functional>

namespace ventoria::ctl {

using Runner = std::function<int()>;

// smc keys, smc read, fans, temps, watch: reading the hardware directly.
void addHardwareCommands(CLI::App& app, Runner& chosen);
// helper version|fraction|auto|smart|status: one request to VentoriaHelper.
void addHelperCommands(CLI::App& app, Runner& chosen);
// status, select, presets: the application's fan model, headless.
void addModelCommands(CLI::App& app, Runner& chosen);

}  // namespace ventoria::ctl
