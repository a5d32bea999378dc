// Every JSON document the programs print has the keys, nesting and value types of its example
// in docs/json.md: scripts are written against that page.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "installed_helper_test.h"

namespace ventoria::test {
namespace {

using nlohmann::json;

struct DocumentedCommand {
    std::vector<std::string> words;  // as the heading writes it
    json example;
};

std::vector<DocumentedCommand> documentedCommands() {
    std::ifstream page(std::string(VENTORIA_SOURCE_DIR) + "/docs/json.md");
    static const std::regex heading("^## `((ventoriactl|ventoria-sim) [^`]*)`$");
    std::vector<DocumentedCommand> commands;
    std::optional<std::vector<std::string>> pending;
    bool inExample = false;
    for (std::string line; std::getline(page, line);) {
        std::smatch found;
        if (std::regex_match(line, found, heading)) {
            std::istringstream words(found[1].str());
            pending.emplace();
            for (std::string word; words >> word;) pending->push_back(word);
        } else if (line == "```json") {
            inExample = pending.has_value();
        } else if (inExample) {
            commands.push_back({*pending, json::parse(line)});
            pending.reset();
            inExample = false;
        }
    }
    return commands;
}

// Where `actual` differs in shape from `documented`: a key one has and the other has not, or
// a value of another type. A null on either side stands for a value not known just then.
void compareShape(const json& documented, const json& actual, const std::string& path,
                  std::vector<std::string>& differences) {
    if (documented.is_null() || actual.is_null()) return;
    if (documented.is_number() && actual.is_number()) return;
    if (documented.type() != actual.type()) {
        differences.push_back(path + ": " + actual.type_name() + ", documented as " +
                              documented.type_name());
        return;
    }
    if (documented.is_object()) {
        for (const auto& [key, value] : documented.items()) {
            if (!actual.contains(key)) {
                differences.push_back(path + "." + key + ": missing");
            } else {
                compareShape(value, actual[key], path + "." + key, differences);
            }
        }
        for (const auto& [key, value] : actual.items()) {
            if (!documented.contains(key))
                differences.push_back(path + "." + key + ": undocumented");
        }
    } else if (documented.is_array() && !documented.empty()) {
        for (std::size_t i = 0; i < actual.size(); ++i) {
            compareShape(documented[0], actual[i], path + "[" + std::to_string(i) + "]",
                         differences);
        }
    }
}

class JSONDocumentsTest : public InstalledHelperTest {};

TEST_F(JSONDocumentsTest, EveryCommandPrintsTheDocumentItsExampleShows) {
    auto commands = documentedCommands();
    ASSERT_GE(commands.size(), 9u);
    auto ctl = program("ventoriactl");
    // A machine with something in every place a document can hold it: Smart in force with
    // its record, a power preset, writes counted.
    // What the command said, when it fails: a crash under the sanitizer reports only there.
    for (const std::vector<std::string>& setUp :
         {std::vector<std::string>{ctl, "select", "smart", "--save", "--hold", "0"},
          std::vector<std::string>{ctl, "settings", "--charger-preset", "max"}}) {
        auto result = run(setUp);
        ASSERT_EQ(result.status, 0) << setUp[1] << "\n" << result.out << result.err;
    }
    BackgroundProcess smart(
        {ctl, "helper", "smart", R"({"minimum":40,"aggressiveness":"normal"})", "--hold", "8"});
    ASSERT_TRUE(eventually([&] { return forced(); }, std::chrono::seconds(15)));
    for (const auto& [words, example] : commands) {
        auto arguments = words;
        arguments[0] = program(arguments[0]);
        auto result = run(arguments, Interrupt{std::chrono::seconds(30)});
        std::string line;
        for (const auto& word : words) line += word + " ";
        ASSERT_EQ(result.status, 0) << line << result.err;
        auto printed = json::parse(result.out, nullptr, false);
        ASSERT_FALSE(printed.is_discarded()) << line << result.out;
        std::vector<std::string> differences;
        compareShape(example, printed, "", differences);
        EXPECT_TRUE(differences.empty()) << line << "\n"
                                         << testing::PrintToString(differences) << "\n"
                                         << result.out;
    }
    smart.wait();
}

}  // namespace
}  // namespace ventoria::test
