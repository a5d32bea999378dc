#pragma once
// The unit ventoriactl's texts give temperatures in. JSON is always in Celsius and says so.

#include <CLI/CLI.hpp>

#include "ventoria/app/model_types.h"

namespace ventoria::ctl {

// --fahrenheit and --celsius, for every command.
void addUnitFlags(CLI::App& app);
// The flag's unit when one was given, else the user's stored setting (as the application
// shows it).
app::TemperatureUnit textUnit();

}  // namespace ventoria::ctl
