#pragma once
// Checks of numbers given on a command line. CLI11's own let "nan" through, print their
// bounds with six decimals (or 308 digits), and know nothing of steps.

#include <CLI/CLI.hpp>

namespace ventoria::command_line {

// A finite number from `low` to `high`: "1e300" seconds would overflow any clock.
CLI::Validator finiteRange(double low, double high);
// A whole number from `low` to `high` in steps of `step` counted from `low`, as a slider
// that snaps to its steps can set it.
CLI::Validator steppedRange(long low, long high, long step);
// A whole number from `low` to `high`.
CLI::Validator wholeRange(long long low, long long high);

}  // namespace ventoria::command_line
