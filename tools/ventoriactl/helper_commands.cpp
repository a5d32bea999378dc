// One raw request to the helper, through the application's own client and connection: what a
// script sees here is what the application would be told.

#include <QCoroTask>
#include <QTimer>
#include <chrono>
#include <functional>
#include <iostream>

#include "commands.h"
#include "session.h"
#include "ventoria/app/helper_client.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::ctl {
namespace {

constexpr int kUnreachable = 2;
constexpr int kInterrupted = 130;

struct HelperOptions {
    double hold = 0;
    double fraction = 0;
    std::string settings;
};

// What the command prints and its status: the version or status as they came, nothing for a
// command carried out, a refusal with status 1.
struct Said {
    int status = 0;
    std::string out;
    std::string err;
};
Said said(const std::string& version) {
    return {0, version + "\n", ""};
}
Said said(const ipc::Outcome& refusal) {
    return refusal ? Said{1, *refusal + "\n", ""} : Said{};
}
Said said(const std::optional<ipc::Bytes>& status) {
    return {0, status ? status->data + "\n" : "", ""};
}

template <typename M>
QCoro::Task<Said> ask(app::HelperClient& client, M message) {
    co_return said(co_await client.call(std::move(message)));
}

QCoro::Task<Said> askAny(app::HelperClient& client, ipc::Message asked) {
    try {
        co_return co_await std::visit(
            [&client](auto message) { return ask(client, std::move(message)); }, asked);
    } catch (const app::HelperError& error) {
        auto description = error.description().toStdString();
        if (error.kind() == app::HelperError::Kind::failed) {
            co_return Said{1, description + "\n", ""};  // it did not understand us
        }
        co_return Said{kUnreachable, "",
                       "ventoriactl: " + description +
                           "\nIs VentoriaHelper running? (it is installed by choosing a "
                           "preset)\n"};
    }
}

int request(const ipc::Message& asked, double hold) {
    Session session;
    // This command never installs; the installer is the application's only so that the client
    // is the very one the application uses.
    auto client =
        std::make_unique<app::HelperClient>(app::localSocketConnector(), app::platformInstaller());
    auto answer = session.finish(askAny(*client, asked));
    if (!answer) {
        client.reset();
        Session::settle();
        return kInterrupted;
    }
    std::cout << answer->out << std::flush;
    std::cerr << answer->err;
    if (answer->status == kUnreachable) return answer->status;
    // The connection stays open, so the helper keeps counting this client.
    QTimer holding;
    holding.setSingleShot(true);
    QObject::connect(&holding, &QTimer::timeout, [] { Session::stop(); });
    holding.start(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(hold)));
    session.run();
    return session.interrupted() ? kInterrupted : answer->status;
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
