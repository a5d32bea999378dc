#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include "commands.h"
#include "ventoria/ipc/blocking_client.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::ctl {
namespace {

constexpr int kUnreachable = 2;

struct HelperOptions {
    double hold = 0;
    double fraction = 0;
    std::string settings;
};

// One request over one connection, printed the way a script can use it: nothing for success,
// an error text with status 1, the version or status as they came.
int request(ipc::Message message, const HelperOptions& options) {
    std::signal(SIGPIPE, SIG_IGN);
    try {
        ipc::BlockingClient client(ipc::socketPath());
        auto reply = client.call({0, message, options.fraction, options.settings});
        int status = 0;
        if (reply) {
            std::cout << *reply << "\n" << std::flush;
            bool failed = message != ipc::Message::version && message != ipc::Message::smartStatus;
            status = failed ? 1 : 0;
        }
        // The connection stays open, so the helper keeps counting this client.
        std::this_thread::sleep_for(std::chrono::duration<double>(options.hold));
        return status;
    } catch (const ipc::ConnectionError& error) {
        std::cerr << "ventoriactl: " << error.what()
                  << "\nIs VentoriaHelper running? (it is installed by choosing a preset)\n";
        return kUnreachable;
    }
}

}  // namespace

void addHelperCommands(CLI::App& app, Runner& chosen) {
    auto* helper = app.add_subcommand("helper", "Send one request to VentoriaHelper");
    helper->require_subcommand(1);
    auto options = std::make_shared<HelperOptions>();
    auto add = [&](const char* name, const char* description, ipc::Message message) {
        auto* command = helper->add_subcommand(name, description);
        command
            ->add_option("--hold", options->hold,
                         "keep the connection open this many seconds after the reply")
            ->check(finiteRange(0, kLongestSeconds));
        command->callback([&chosen, options, message] {
            chosen = [options, message] { return request(message, *options); };
        });
        return command;
    };
    add("version", "The helper's protocol version", ipc::Message::version);
    add("fraction", "Hold every fan at a fraction of its maximum", ipc::Message::setFraction)
        ->add_option("F", options->fraction, "0.0 to 1.0")
        ->required()
        ->check(finiteRange(0, 1));
    add("auto", "Hand the fans back to the machine", ipc::Message::setAuto);
    add("smart",
        "Smart control with settings such as '{\"minimum\":0,\"aggressiveness\":\"normal\"}'",
        ipc::Message::setSmart)
        ->add_option("JSON", options->settings)
        ->required();
    add("status", "The Smart status, while Smart runs", ipc::Message::smartStatus);
}

}  // namespace ventoria::ctl
