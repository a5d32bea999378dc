#include "ventoria/command_line/parse.h"

#include <iostream>

namespace ventoria::command_line {
namespace {

// The command whose words ran out: the last one the parser entered.
const CLI::App& deepestChosen(const CLI::App& app) {
    const CLI::App* current = &app;
    for (auto chosen = current->get_subcommands(); !chosen.empty();
         chosen = current->get_subcommands()) {
        current = chosen.front();
    }
    return *current;
}

std::string commandList(const CLI::App& app) {
    std::string list;
    for (const auto* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (!list.empty()) list += ", ";
        list += command->get_name();
    }
    return list;
}

// "ventoriactl helper": the program's own name, not the path it was started by.
std::string commandPath(const CLI::App& app) {
    auto name = [](const CLI::App& command) {
        const auto& full = command.get_name();
        return full.substr(full.find_last_of('/') + 1);
    };
    std::string path = name(app);
    for (const auto* parent = app.get_parent(); parent; parent = parent->get_parent()) {
        path = name(*parent) + " " + path;
    }
    return path;
}

}  // namespace

void addVersionFlag(CLI::App& app, const std::string& program, const std::string& detail) {
    app.set_version_flag("--version", program + " " + VENTORIA_VERSION +
                                          (detail.empty() ? "" : " (" + detail + ")"));
}

std::optional<int> parse(CLI::App& app, int argc, const char* const* argv) {
    // Every complaint names the program it comes from, as its run-time errors do.
    app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
        const auto* top = failed;
        while (top->get_parent()) top = top->get_parent();
        return commandPath(*top) + ": " + CLI::FailureMessage::simple(failed, error);
    });
    try {
        app.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::RequiredError& error) {
        const auto& stopped = deepestChosen(app);
        // All that is left, wherever it fell through to: a command may hand words it does
        // not know to the one above it.
        auto left = app.remaining(true);
        auto commands = commandList(stopped);
        if (left.empty() || commands.empty() || left.front().starts_with("-")) {
            return app.exit(error);
        }
        std::cerr << commandPath(app) << ": \"" << left.front() << "\" is not a command"
                  << (&stopped == &app ? "" : " of " + stopped.get_name()) << "; the commands are "
                  << commands << "\nRun with --help for more information.\n";
        return static_cast<int>(CLI::ExitCodes::ExtrasError);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
}

}  // namespace ventoria::command_line
