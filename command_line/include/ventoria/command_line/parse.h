#pragma once
// Parsing a command line the same way in every Ventoria program.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace ventoria::command_line {

// --version: "PROGRAM 3.0", then ` (detail)` where one is given, such as the protocol a
// program speaks.
void addVersionFlag(CLI::App& app, const std::string& program, const std::string& detail = {});

// Parses, running the chosen command's callbacks. Returns the status to exit with when the
// program should stop here (it printed help, a version or an error), nothing when it goes on.
// A word that names no command is itself named in the error, with the commands there are,
// where CLI11 alone says only that a command is required.
std::optional<int> parse(CLI::App& app, int argc, const char* const* argv);

}  // namespace ventoria::command_line
