// VentoriaHelper: the root daemon, the only writer to the SMC.

#include <CLI/CLI.hpp>
#include <string>

#include "daemon.h"
#include "ventoria/command_line/parse.h"
#include "ventoria/ipc/protocol.h"

int main(int argc, char** argv) {
    // launchd and systemd start it without arguments; anything else is a person asking, and
    // must not start a daemon that takes the fans.
    CLI::App app{
        "Ventoria's helper: the root daemon that alone writes the fans. launchd or systemd\n"
        "starts it; it serves Ventoria and ventoriactl and hands the fans back when its last\n"
        "client goes."};
    ventoria::command_line::addVersionFlag(
        app, "VentoriaHelper", std::string("helper protocol ") + ventoria::ipc::kProtocolVersion);
    bool handBack = false;
    app.add_flag("--hand-back", handBack,
                 "hand back fans left forced (after the daemon, even one that crashed) and exit");
    if (auto status = ventoria::command_line::parse(app, argc, argv)) return *status;
    return handBack ? ventoria::helper::handBackAfterDaemon() : ventoria::helper::runDaemon();
}
