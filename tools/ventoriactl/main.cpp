// ventoriactl: Ventoria's command-line front end.

#include <iostream>

#include "commands.h"
#include "text_unit.h"
#include "ventoria/command_line/parse.h"
#include "ventoria/ipc/protocol.h"

int main(int argc, char** argv) {
    CLI::App app{
        "Ventoria's command-line front end: read the SMC, talk to the helper, drive the\n"
        "fan model. Honours VENTORIA_SYSROOT."};
    ventoria::command_line::addVersionFlag(
        app, "ventoriactl", std::string("helper protocol ") + ventoria::ipc::kProtocolVersion);
    app.require_subcommand(1);
    app.fallthrough();  // the unit flags may follow the command too
    ventoria::ctl::addUnitFlags(app);
    ventoria::ctl::Runner chosen;
    ventoria::ctl::addHardwareCommands(app, chosen);
    ventoria::ctl::addHelperCommands(app, chosen);
    ventoria::ctl::addModelCommands(app, chosen);
    ventoria::ctl::addDetailsCommands(app, chosen);
    ventoria::ctl::addSettingsCommands(app, chosen);
    ventoria::ctl::addDoctorCommand(app, chosen);
    if (auto status = ventoria::command_line::parse(app, argc, argv)) return *status;
    try {
        return chosen();
    } catch (const std::exception& error) {
        std::cerr << "ventoriactl: " << error.what() << "\n";
        return 1;
    }
}
