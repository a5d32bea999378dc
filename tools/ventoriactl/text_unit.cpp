#include "text_unit.h"

#include <optional>

#include "ventoria/app/settings.h"
#include "ventoria/app/user_defaults.h"

namespace ventoria::ctl {
namespace {

std::optional<app::TemperatureUnit> asked;

}  // namespace

void addUnitFlags(CLI::App& app) {
    auto* fahrenheit = app.add_flag_callback(
                              "--fahrenheit", [] { asked = app::TemperatureUnit::fahrenheit; },
                              "temperatures in °F (JSON stays in °C)")
                           ->trigger_on_parse();
    app.add_flag_callback(
           "--celsius", [] { asked = app::TemperatureUnit::celsius; }, "temperatures in °C")
        ->trigger_on_parse()
        ->excludes(fahrenheit);
}

app::TemperatureUnit textUnit() {
    if (asked) return *asked;
    auto preferences = app::userPreferences();
    return app::Settings(*preferences).temperatureUnit();
}

}  // namespace ventoria::ctl
