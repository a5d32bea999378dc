// ventoria-sim and ventoriactl as a user runs them, on a system root of the test's own.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "process.h"
#include "temporary_root.h"

namespace ventoria::test {
namespace {

using nlohmann::json;

class HardwareCLITest : public ::testing::Test {
  protected:
    ProcessResult sim(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), program("ventoria-sim"));
        return run(arguments);
    }
    ProcessResult ctl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), program("ventoriactl"));
        return run(arguments);
    }
    json ctlJson(std::vector<std::string> arguments) {
        arguments.push_back("--json");
        auto result = ctl(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        return json::parse(result.out);
    }
    json show() { return json::parse(sim({"show", "--json"}).out); }

    TemporaryRoot root;
};

TEST_F(HardwareCLITest, AFreshRootHasAMacWithTwoFansAndTemperatures) {
    auto fans = ctlJson({"fans"});
    ASSERT_EQ(fans.size(), 2u);
    EXPECT_EQ(fans[1]["fan"], 2);
    EXPECT_NEAR(fans[0]["rpm"].get<double>(), 1200, 20);
    EXPECT_EQ(fans[0]["forced"], false);
    auto temps = ctlJson({"temps"});
    EXPECT_GT(temps["chip"].get<double>(), 30);
    EXPECT_GT(temps["case"].get<double>(), 20);
}

TEST_F(HardwareCLITest, EachProfileReadsAsItsMachine) {
    ASSERT_EQ(sim({"new", "--profile", "intel"}).status, 0);
    EXPECT_EQ(ctlJson({"fans"}).size(), 2u);
    EXPECT_EQ(ctlJson({"smc", "read", "TC0P"})["type"], "sp78");
    EXPECT_TRUE(ctlJson({"temps"})["chip"].is_number());

    sim({"new", "--profile", "fanless"});
    EXPECT_TRUE(ctlJson({"fans"}).empty());
    EXPECT_TRUE(ctlJson({"temps"})["chip"].is_number());

    sim({"new", "--profile", "no-smc"});
    auto fans = ctl({"fans"});
    EXPECT_NE(fans.status, 0);
    EXPECT_EQ(fans.err, "AppleSMC service not found\n");
}

TEST_F(HardwareCLITest, PlantedValuesDecodeAsTheirTypesSay) {
    const std::tuple<const char*, const char*, double> cases[] = {
        {"fpe2", "0190", 100.0}, {"flt ", "00003642", 45.5},  {"sp78", "3c80", 60.5},
        {"sp78", "ff00", -1.0},  {"ui32", "00010000", 65536}, {"ui32", "000100", 0.0},
        {"ch8*", "0102", 0.0},
    };
    for (auto [type, hex, value] : cases) {
        ASSERT_EQ(sim({"set-raw", "Plnt", type, hex}).status, 0);
        auto read = ctlJson({"smc", "read", "Plnt"});
        EXPECT_EQ(read["type"], type);
        EXPECT_EQ(read["bytes"], hex);
        EXPECT_EQ(read["value"].get<double>(), value) << type << " " << hex;
    }
}

TEST_F(HardwareCLITest, AMissingKeyDropsJustThatFanOrSensor) {
    sim({"new", "--profile", "intel"});
    ASSERT_EQ(sim({"fault", "F1Ac", "missing"}).status, 0);
    auto fans = ctlJson({"fans"});
    ASSERT_EQ(fans.size(), 1u);
    EXPECT_EQ(fans[0]["fan"], 1);
    sim({"fault", "TA0P", "missing"});
    auto temps = ctlJson({"temps"});
    EXPECT_TRUE(temps["case"].is_null());
    EXPECT_TRUE(temps["chip"].is_number());
    sim({"fault", "F1Ac", "clear"});
    EXPECT_EQ(ctlJson({"fans"}).size(), 2u);
}

TEST_F(HardwareCLITest, EnumerationSeesTheWholeKeySet) {
    auto keys = ctl({"smc", "keys"});
    ASSERT_EQ(keys.status, 0);
    auto lines = std::count(keys.out.begin(), keys.out.end(), '\n');
    EXPECT_EQ(lines, show()["keyCount"].get<long>());
    EXPECT_EQ(show()["calls"]["keyAtIndex"].get<long>(), lines);
    EXPECT_NE(keys.out.find("\nFtst\n"), std::string::npos);
}

TEST_F(HardwareCLITest, ManualClockAndFaultsDriveTheMachine) {
    sim({"new", "--clock", "manual"});
    sim({"load", "100"});
    sim({"advance", "120"});
    auto hot = show();
    EXPECT_GT(hot["chip"].get<double>(), 60);
    EXPECT_GT(hot["fans"][0]["targetRPM"].get<double>(), 1200);
    EXPECT_EQ(hot["load"], 100.0);

    sim({"fault", "F0Mx", "result", "1"});
    auto read = ctl({"smc", "read", "F0Mx"});
    EXPECT_EQ(read.status, 1);
    EXPECT_EQ(read.err, "SMC returned 1 for F0Mx\n");
    sim({"fault", "F0Mx", "kernel", "0xE00002C2"});
    EXPECT_EQ(ctl({"smc", "read", "F0Mx"}).err, "SMC call for F0Mx failed (-536870206)\n");
}

TEST_F(HardwareCLITest, BadRequestsAreRefusedClearly) {
    EXPECT_NE(sim({"load", "lots"}).status, 0);
    EXPECT_NE(sim({"advance", "5"}).status, 0);  // the default clock is real
    auto unknown = sim({"set", "Nope", "1"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no key \"Nope\""), std::string::npos);
    EXPECT_NE(sim({"set-raw", "Odd!", "ui8 ", "123"}).status, 0);
    EXPECT_NE(sim({"new", "--profile", "powerpc"}).status, 0);
}

// Controls that could only overflow, wrap or hang say what is wrong and change nothing.
TEST_F(HardwareCLITest, ControlsRefuseWhatTheyCannotMean) {
    sim({"new", "--clock", "manual"});
    auto before = show();
    const std::vector<std::vector<std::string>> refused = {
        {"set", "F0Tg", "nan"},
        {"set", "F0Tg", "inf"},
        {"set", "F0Tg", "-5"},
        {"set", "FNum", "300"},
        {"set", "FNum", "-1"},
        {"set-raw", "", "ui8 ", "01"},
        {"fault", "#99999", "missing"},
        {"latency", ""},
        {"latency", "99999999999"},
        {"pressure", "99"},
        {"advance", "1e10"},
        {"advance", "nan"},
        {"advance", "--", "-1"},
        {"pressure", "4294967296"},  // an int's wrap would make it 0
        {"new", "--seed", "-1"},
        {"power", "mains"},
    };
    for (const auto& arguments : refused) {
        auto result = sim(arguments);
        EXPECT_NE(result.status, 0) << arguments[0] << " " << arguments[1];
        EXPECT_NE(result.err.find("ventoria-sim: "), std::string::npos) << result.err;
    }
    auto after = show();
    EXPECT_EQ(after["fans"], before["fans"]);
    EXPECT_EQ(after["latencyMicroseconds"], before["latencyMicroseconds"]);
    EXPECT_FALSE(after["latencyMicroseconds"].is_null());
    EXPECT_EQ(sim({"set", "FNum", "2"}).status, 0);
    EXPECT_EQ(sim({"pressure", "4"}).status, 0);
}

// The unit is the user's: a flag, else the stored setting, which the settings command writes
// where the application reads it. JSON stays in Celsius whatever the unit, and says so.
TEST_F(HardwareCLITest, TemperaturesReadInTheUsersUnitExceptInJSON) {
    ASSERT_EQ(sim({"new", "--clock", "manual"}).status, 0);
    auto celsius = ctlJson({"temps"});
    EXPECT_EQ(celsius["unit"], "celsius");
    double chip = celsius["chip"].get<double>();
    EXPECT_EQ(chip, std::round(chip * 10) / 10);  // tenths, as the text shows it
    // "Chip 45.3 °C, case …": the text's own rounding of the same reading.
    auto shown = [](const std::string& text, const std::string& unit) {
        EXPECT_EQ(text.find("Chip "), 0u) << text;
        EXPECT_NE(text.find(unit + ", case "), std::string::npos) << text;
        return std::stod(text.substr(5));
    };
    EXPECT_EQ(shown(ctl({"temps"}).out, " °C"), chip);
    EXPECT_NEAR(shown(ctl({"--fahrenheit", "temps"}).out, " °F"), chip * 9 / 5 + 32, 0.1);

    auto stored = ctl({"settings", "--temperature-unit", "fahrenheit"});
    ASSERT_EQ(stored.status, 0) << stored.err;
    EXPECT_NE(stored.out.find("Temperatures in fahrenheit"), std::string::npos);
    EXPECT_NE(ctl({"temps"}).out.find(" °F"), std::string::npos);
    EXPECT_NE(ctl({"temps", "--celsius"}).out.find(" °C"), std::string::npos);
    EXPECT_EQ(ctlJson({"temps"})["chip"].get<double>(), chip);
    EXPECT_NE(ctl({"--celsius", "--fahrenheit", "temps"}).status, 0);
}

TEST_F(HardwareCLITest, SettingsAreStoredAndShownAsSet) {
    auto set = ctl({"settings", "--menu-bar-temperature", "on", "--notify-stuck-fan", "off",
                    "--battery-preset", "max", "--charger-preset", "none"});
    ASSERT_EQ(set.status, 0) << set.err;
    auto settings = ctlJson({"settings"});
    EXPECT_EQ(settings["temperatureUnit"], "celsius");
    EXPECT_EQ(settings["menuBarTemperature"], true);
    EXPECT_EQ(settings["notifications"]["stuckFan"], false);
    EXPECT_EQ(settings["notifications"]["safetyBoost"], true);
    EXPECT_EQ(settings["powerPresets"]["battery"], "max");
    EXPECT_EQ(settings["powerPresets"]["charger"], nullptr);
    EXPECT_EQ(settings["launchAtLogin"], false);
    EXPECT_NE(ctl({"settings", "--battery-preset", "turbo"}).status, 0);
    EXPECT_NE(ctl({"settings", "--menu-bar-temperature", "maybe"}).status, 0);

    ASSERT_EQ(ctl({"settings", "--launch-at-login", "on"}).status, 0);
    EXPECT_EQ(ctlJson({"settings"})["launchAtLogin"], true);
    ASSERT_EQ(ctl({"settings", "--launch-at-login", "off"}).status, 0);
    EXPECT_EQ(ctlJson({"settings"})["launchAtLogin"], false);
}

TEST_F(HardwareCLITest, SensorsListEveryFanWithItsTargetAndEverySensorByGroup) {
    auto details = ctlJson({"sensors"});
    ASSERT_EQ(details["fans"].size(), 2u);
    EXPECT_EQ(details["fans"][1]["targetRPM"],
              std::lround(show()["fans"][1]["targetRPM"].get<double>()));
    EXPECT_EQ(details["unit"], "celsius");
    std::set<std::string> groups;
    for (const auto& sensor : details["sensors"]) groups.insert(sensor["group"]);
    EXPECT_EQ(groups, (std::set<std::string>{"chip", "case", "battery", "other"}));
    auto text = ctl({"sensors"}).out;
    for (const char* line :
         {"Fans\n", "Chip\n", "Case\n", "Battery\n", "Other\n", "  TaLP  Airflow left"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
}

// The history is what the command's own polls read: one sample a poll, oldest first.
TEST_F(HardwareCLITest, HistoryRecordsOneSampleAPollInOrder) {
    auto history = ctlJson({"history", "--seconds", "1", "--interval", "0.2"});
    auto samples = history["samples"];
    ASSERT_GE(samples.size(), 2u);  // the poll at start and at least one more, however loaded
    EXPECT_EQ(history["capacity"], 9000);  // half an hour at 0.2 s
    for (std::size_t i = 1; i < samples.size(); ++i) {
        EXPECT_LE(samples[i - 1]["time"].get<double>(), samples[i]["time"].get<double>());
    }
    EXPECT_TRUE(samples[0]["chip"].is_number());
    EXPECT_NE(samples[0]["chip"], samples[0]["case"]);
}

// Each program answers --version and --help and stops there (the helper above all: started
// by hand with --help it must not take the fans), and names a word it does not know.
TEST_F(HardwareCLITest, EveryProgramTellsItsVersionAndNamesWhatItDoesNotKnow) {
    for (const char* name : {"VentoriaHelper", "ventoriactl", "ventoria-sim"}) {
        auto version = run({program(name), "--version"}, Interrupt{std::chrono::seconds(10)});
        EXPECT_EQ(version.status, 0) << name;
        EXPECT_EQ(version.out.find(std::string(name) + " "), 0u) << version.out;
        auto help = run({program(name), "--help"}, Interrupt{std::chrono::seconds(10)});
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_NE(help.out.find("Usage:"), std::string::npos) << help.out;
    }
    auto daemon = run({program("VentoriaHelper"), "start"}, Interrupt{std::chrono::seconds(10)});
    EXPECT_GT(daemon.status, 0);
    EXPECT_NE(daemon.err.find("VentoriaHelper: "), std::string::npos) << daemon.err;

    const std::vector<std::pair<std::vector<std::string>, std::string>> unknown = {
        {{program("ventoriactl"), "bogus"},
         "ventoriactl: \"bogus\" is not a command; the commands are smc, fans,"},
        {{program("ventoriactl"), "helper", "bogus"},
         "ventoriactl: \"bogus\" is not a command of helper; the commands are version,"},
        {{program("ventoria-sim"), "bogus"},
         "ventoria-sim: \"bogus\" is not a command; the commands are new, show,"},
    };
    for (const auto& [arguments, said] : unknown) {
        auto result = run(arguments);
        EXPECT_NE(result.status, 0);
        EXPECT_EQ(result.err.find(said), 0u) << result.err;
    }
    // A missing command is still just that.
    EXPECT_NE(ctl({}).err.find("A subcommand is required"), std::string::npos);
}

// The charger is the charger in every program; "ac" stays as another name for it.
TEST_F(HardwareCLITest, PowerSourcesHaveTheApplicationsNames) {
    ASSERT_EQ(sim({"power", "battery"}).status, 0);
    EXPECT_EQ(show()["power"], "battery");
    ASSERT_EQ(sim({"power", "ac"}).status, 0);
    EXPECT_EQ(show()["power"], "charger");
    ASSERT_EQ(sim({"power", "battery"}).status, 0);
    ASSERT_EQ(sim({"power", "charger"}).status, 0);
    EXPECT_EQ(show()["power"], "charger");
}

// With no helper listening, a request says so in the application's own words and exits 2, so
// a script can tell "not there" from "refused" (1).
TEST_F(HardwareCLITest, ARequestToAHelperThatIsNotThereSaysWhy) {
    auto result = ctl({"helper", "version"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("Couldn’t communicate with a helper application."), std::string::npos)
        << result.err;
}

// A system root so long that the helper's socket would not fit a socket address is refused by
// name, by the helper and its clients alike: a path cut short would meet nobody, or another.
TEST_F(HardwareCLITest, ASocketPathTooLongForASocketIsRefusedNotCutShort) {
    auto deep = root.path() / std::string(100, 'd');
    std::filesystem::create_directories(deep);
    setenv("VENTORIA_SYSROOT", deep.c_str(), 1);
    auto helper = run({program("VentoriaHelper")}, Interrupt{std::chrono::seconds(10)});
    auto client = ctl({"helper", "version"});
    setenv("VENTORIA_SYSROOT", root.path().c_str(), 1);
    EXPECT_EQ(helper.status, 1);
    EXPECT_NE(helper.err.find("choose a shorter VENTORIA_SYSROOT"), std::string::npos)
        << helper.err;
    EXPECT_NE(client.status, 0);
    EXPECT_NE(client.err.find("choose a shorter VENTORIA_SYSROOT"), std::string::npos)
        << client.err;
}

}  // namespace
}  // namespace ventoria::test
