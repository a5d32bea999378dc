#include <chrono>
#include <csignal>
#include <functional>
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
// a refusal with status 1, the version or status as they came.
int request(const ipc::Message& asked, double hold) {
    std::signal(SIGPIPE, SIG_IGN);
    try {
        ipc::BlockingClient client(ipc::socketPath());
        auto reply = client.call(asked);
        int status = 0;
        if (auto* problem = std::get_if<ipc::NotUnderstood>(&reply.content)) {
            std::cout << "The helper did not understand the request: " << problem->reason << "\n";
            status = 1;
        } else if (auto& value = std::get<ipc::WireValue>(reply.content);
                   value.kind != ipc::WireValue::Kind::nil) {
            std::cout << value.data << "\n";
            status = ipc::isCommand(asked) ? 1 : 0;  // a command answers only to refuse
        }
        std::cout << std::flush;
        // The connection stays open, so the helper keeps counting this client.
        std::this_thread::sleep_for(std::chrono::duration<double>(hold));
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
    using Build = std::function<ipc::Message(const HelperOptions&)>;
    auto add = [&](const char* name, const char* description, Build build) {
        auto* command = helper->add_subcommand(name, description);
        command
            ->add_option("--hold", options->hold,
                         "keep the connection open this many seconds after the reply")
            ->check(finiteRange(0, kLongestSeconds));
        command->callback([&chosen, options, build] {
            chosen = [options, build] { return request(build(*options), options->hold); };
        });
        return command;
    };
    add("version", "The helper's protocol version",
        [](const HelperOptions&) { return ipc::Version{}; });
    add("fraction", "Hold every fan at a fraction of its maximum",
        [](const HelperOptions& given) { return ipc::SetFraction{given.fraction}; })
        ->add_option("F", options->fraction, "0.0 to 1.0")
        ->required()
        ->check(finiteRange(0, 1));
    add("auto", "Hand the fans back to the machine",
        [](const HelperOptions&) { return ipc::SetAuto{}; });
    add("smart",
        "Smart control with settings such as '{\"minimum\":0,\"aggressiveness\":\"normal\"}'",
        [](const HelperOptions& given) { return ipc::SetSmart{{given.settings}}; })
        ->add_option("JSON", options->settings)
        ->required();
    add("status", "The Smart status, while Smart runs",
        [](const HelperOptions&) { return ipc::SmartStatus{}; });
}

}  // namespace ventoria::ctl
