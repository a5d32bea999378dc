// The README's example commands, as written, on a fresh system root: a new user copies them.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "process.h"
#include "temporary_root.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::test {
namespace {

// Each command line of the README's shell blocks that runs ventoriactl or ventoria-sim,
// without its comment, split into words.
std::vector<std::vector<std::string>> exampleCommands() {
    std::ifstream readme(std::string(VENTORIA_SOURCE_DIR) + "/README.md");
    std::vector<std::vector<std::string>> commands;
    bool inShell = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.starts_with("```")) {
            inShell = line == "```sh";
            continue;
        }
        if (!inShell) continue;
        line = line.substr(0, line.find("  #"));
        static const std::regex tool("^build/bin/(ventoriactl|ventoria-sim) ");
        if (!std::regex_search(line, tool)) continue;
        std::istringstream words(line);
        std::vector<std::string> command;
        for (std::string word; words >> word;) command.push_back(word);
        command[0] = program(command[0].substr(std::string("build/bin/").size()));
        commands.push_back(command);
    }
    return commands;
}

TEST(Readme, EveryExampleCommandWorksAsWritten) {
    TemporaryRoot root;
    auto commands = exampleCommands();
    ASSERT_GE(commands.size(), 12u);
    for (auto command : commands) {
        // A live view runs until Ctrl-C; a bounded hold stands in for it.
        if (std::find(command.begin(), command.end(), "--watch") != command.end()) {
            std::replace(command.begin(), command.end(), std::string("--watch"),
                         std::string("--hold"));
            command.push_back("1");
        }
        auto result = run(command, Interrupt{std::chrono::seconds(60)});  // a hang fails
        std::string line;
        for (const auto& word : command) line += word + " ";
        EXPECT_EQ(result.status, 0) << line << "\n" << result.out << result.err;
    }
    auto launchctl = platform::systemPath("/bin/launchctl");
    if (std::filesystem::exists(launchctl)) {
        run({launchctl.string(), "bootout", "system/io.kestrand.ventoria.helper"});
    }
}

}  // namespace
}  // namespace ventoria::test
