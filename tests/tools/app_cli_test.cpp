// ventoriactl driving the application's model, as a user would, with the real helper.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "installed_helper_test.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::test {
namespace {

using nlohmann::json;

class AppCLITest : public InstalledHelperTest {
  protected:
    std::vector<std::string> ctl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), program("ventoriactl"));
        return arguments;
    }
    json status() {
        auto result = run(ctl({"status", "--json"}));
        EXPECT_EQ(result.status, 0) << result.err;
        return json::parse(result.out);
    }
};

TEST_F(AppCLITest, HoldingMaxInstallsTheHelperForcesTheFansAndHandsThemBack) {
    BackgroundProcess hold(ctl({"select", "max", "--hold", "3"}));
    EXPECT_TRUE(eventually([&] { return forced(); }, std::chrono::seconds(15)));
    EXPECT_TRUE(eventually([&] { return machine().fans[0].target == 5700; }));
    auto result = hold.wait();
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("Max · Fixed 100 %"), std::string::npos);
    // Fans on their way up are not fans that fail to follow.
    EXPECT_EQ(result.out.find(" runs at "), std::string::npos) << result.out;
    EXPECT_TRUE(std::filesystem::exists(
        platform::systemPath("/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist")));
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
    EXPECT_EQ(status()["preset"], "auto");  // held for the command's lifetime only
    EXPECT_EQ(run(ctl({"select", "max", "--hold", "0", "--save"})).status, 0);
    EXPECT_EQ(status()["preset"], "max");
}

// Ctrl-C ends the hold, and the command waits for the hand-back before it exits. The signal
// goes once the watch has shown its first line: before that the choice is not yet in force,
// and an interrupted command says so with 130.
TEST_F(AppCLITest, InterruptingAWatchHandsBackBeforeExiting) {
    auto result =
        run({program("ventoriactl"), "select", "max", "--watch"},
            Interrupt{.after = std::chrono::seconds(60), .signal = SIGINT, .whenPrinted = "Max"});
    EXPECT_EQ(result.status, 0) << result.err;
    auto fans = machine().fans;
    EXPECT_FALSE(fans[0].forced || fans[1].forced)  // released before the command ended
        << result.out.substr(result.out.size() > 600 ? result.out.size() - 600 : 0);
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

// A write the SMC refused leaves a fan with the machine: the command says which, and fails.
TEST_F(AppCLITest, AChoiceTheFansDoNotFollowFails) {
    fault("F0Md", sim::FaultKind::kernel, static_cast<int>(0xE00002BC));
    auto result = run(ctl({"select", "max", "--hold", "1"}));
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_EQ(result.out, "Fan 1 is not under Ventoria's control\n");
    fault("F0Md", sim::FaultKind::none);
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

// A fan that is forced but does not reach its speed (here fan 2 is stuck at 3,720 rpm) is named
// by the hold once a fan's spin-up time has passed, and the hold fails; `status` names it
// from one look.
TEST_F(AppCLITest, AFanThatDoesNotReachItsSpeedIsNamed) {
    setValue("F1Ac", 3720);
    BackgroundProcess hold(ctl({"select", "max", "--save", "--hold", "12"}));
    ASSERT_TRUE(eventually([&] { return forced(); }, std::chrono::seconds(15)));
    advance(5);  // fan 1 spins up; fan 2 cannot
    auto look = status();
    EXPECT_EQ(look["fanProblem"], "Fan 2 runs at 3720 rpm, not the 6200 rpm asked");
    auto result = hold.wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.ends_with("Fan 2 runs at 3720 rpm, not the 6200 rpm asked\n"))
        << result.out;
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

// Handing back needs the SMC like any other request: without it, both ways of asking for
// automatic say so and fail, instead of claiming fans the helper could not touch.
TEST_F(AppCLITest, HandingBackWithoutTheSMCFails) {
    ASSERT_EQ(run(ctl({"select", "max", "--hold", "0"})).status, 0);  // installs the helper
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
    mac->setDetached(true);
    auto raw = run(ctl({"helper", "auto"}));
    EXPECT_EQ(raw.status, 1);
    EXPECT_EQ(raw.out, "AppleSMC is unavailable\n");
    auto selected = run(ctl({"select", "auto", "--hold", "0"}));
    EXPECT_EQ(selected.status, 1);
    EXPECT_EQ(selected.out, "AppleSMC is unavailable\n");
    mac->setDetached(false);
}

// What the user asked to keep and could not be kept is an error, whatever the helper did.
TEST_F(AppCLITest, AChoiceThatCannotBeSavedFails) {
    auto file = platform::systemPath("/Users/" + std::string(getpwuid(getuid())->pw_name) +
                                     "/Library/Preferences/io.kestrand.ventoria.ini");
    std::filesystem::create_directories(file);  // a directory where the file belongs
    const std::string unsaved = "Settings could not be saved to " + file.string() + "\n";
    auto selected = run(ctl({"select", "balanced", "--save", "--hold", "0"}));
    EXPECT_EQ(selected.status, 1);
    EXPECT_EQ(selected.out, unsaved);
    auto edited = run(ctl({"presets", "--balanced", "45"}));
    EXPECT_EQ(edited.status, 1);
    EXPECT_TRUE(edited.out.ends_with(unsaved)) << edited.out;
    auto settings = run(ctl({"settings", "--temperature-unit", "fahrenheit"}));
    EXPECT_EQ(settings.status, 1);
    EXPECT_TRUE(settings.err.ends_with(unsaved)) << settings.err;
    EXPECT_TRUE(eventually([&] { return !forced(); }));
}

// A command blocked where no event loop can see the signal, in open() on a FIFO where its
// preferences belong or behind an SMC that takes half a second a call, still ends when told,
// within its bound, holding nothing.
TEST_F(AppCLITest, ASignalEndsACommandWhereverItIsStuck) {
    auto file = platform::systemPath("/Users/" + std::string(getpwuid(getuid())->pw_name) +
                                     "/Library/Preferences/io.kestrand.ventoria.ini");
    std::filesystem::create_directories(file.parent_path());
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    // The command waits in its open() once a writer may open the file without waiting; the
    // writer then holds it open and says nothing, so the command waits in its read instead,
    // and the signal comes then.
    int stuck[2];
    ASSERT_EQ(pipe(stuck), 0);
    int writer = -1;
    std::thread watch([&] {
        for (int look = 0; look < 6000 && writer < 0; ++look) {
            writer = ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        (void)!::write(stuck[1], "s", 1);
    });
    auto blocked = run(ctl({"status"}), Interrupt{std::chrono::seconds(90), SIGTERM, stuck[0]});
    watch.join();
    EXPECT_GE(writer, 0) << "the command never opened its preferences";
    EXPECT_EQ(blocked.status, 128 + SIGTERM) << blocked.err;
    for (int fd : {writer, stuck[0], stuck[1]}) ::close(fd);
    std::filesystem::remove(file);

    ASSERT_EQ(run(ctl({"select", "max", "--hold", "0"})).status, 0);  // installs the helper
    mac->setLatency(500'000);
    auto slow =
        run(ctl({"select", "balanced", "--watch"}), Interrupt{std::chrono::seconds(2), SIGINT});
    mac->setLatency(0);
    EXPECT_EQ(slow.status, 128 + SIGINT) << slow.err;
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

TEST_F(AppCLITest, ASavedPercentageDrivesTheBalancedHold) {
    auto saved = run(ctl({"presets", "--balanced", "45"}));
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(status()["custom"]["balanced"], 45);
    BackgroundProcess hold(ctl({"select", "balanced", "--hold", "2"}));
    EXPECT_TRUE(eventually(
        [&] {
            auto fans = machine().fans;
            return fans[0].forced && fans[0].target == 0.45 * 5700 && fans[1].target == 0.45 * 6200;
        },
        std::chrono::seconds(15)));
    EXPECT_EQ(hold.wait().status, 0);
}

TEST_F(AppCLITest, ASmartHoldUnderLoadShowsWhatSmartDoes) {
    mac->setLoad(100);
    advance(300);
    auto result = run(ctl({"select", "smart", "--hold", "3"}));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::regex_search(result.out, std::regex("\nSmart · [0-9]+ % · (CPU|case)")))
        << result.out;
}

TEST_F(AppCLITest, ABrokenInstallLeavesAutoAndSaysWhy) {
    auto bundle = bundleWithoutHelper();
    auto result = run({(bundle / "ventoriactl").string(), "select", "max", "--hold", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Helper install failed: helper missing from app bundle\n");
    EXPECT_EQ(status()["preset"], "auto");
    EXPECT_FALSE(forced());
}

// A document that says "celsius" holds no °F, also in its texts, whatever the user's unit; the
// line for people follows the unit asked for.
TEST_F(AppCLITest, StatusJSONIsInCelsiusWhateverTheUsersUnit) {
    ASSERT_EQ(run(ctl({"settings", "--temperature-unit", "fahrenheit"})).status, 0);
    ASSERT_EQ(run(ctl({"select", "smart", "--save", "--hold", "0"})).status, 0);
    setValue("Tp01", 85);  // hot enough that the chip drives Smart
    BackgroundProcess smart(
        ctl({"helper", "smart", R"({"minimum":0,"aggressiveness":"normal"})", "--hold", "4"}));
    ASSERT_TRUE(eventually([&] { return forced(); }, std::chrono::seconds(15)));
    auto document = status();
    EXPECT_EQ(document["temperatures"]["unit"], "celsius");
    auto subtitle = document["subtitle"].get<std::string>();
    EXPECT_NE(subtitle.find(" · CPU 85 °C"), std::string::npos) << subtitle;
    EXPECT_EQ(document.dump().find("°F"), std::string::npos) << document.dump();
    auto line = run(ctl({"status"})).out;
    EXPECT_NE(line.find(" · CPU 185 °F"), std::string::npos) << line;
    EXPECT_NE(line.find("chip 185 °F"), std::string::npos) << line;
    line = run(ctl({"status", "--celsius"})).out;
    EXPECT_NE(line.find(" · CPU 85 °C"), std::string::npos) << line;  // not °F in the subtitle
    EXPECT_EQ(line.find("°F"), std::string::npos) << line;
    smart.wait();
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

TEST_F(AppCLITest, BadArgumentsAreRefused) {
    EXPECT_NE(run(ctl({"select", "turbo"})).status, 0);
    // Only what the editor's sliders can set: 20 to 100 in fives, the Smart minimum from 0.
    for (const auto& [option, value] :
         std::vector<std::pair<std::string, std::string>>{{"--balanced", "150"},
                                                          {"--balanced", "15"},
                                                          {"--balanced", "47"},
                                                          {"--max", "0"},
                                                          {"--max", "99.5"},
                                                          {"--minimum", "-5"},
                                                          {"--minimum", "33"}}) {
        auto refused = run(ctl({"presets", option, value}));
        EXPECT_NE(refused.status, 0) << option << " " << value;
        EXPECT_NE(refused.err.find("in steps of 5"), std::string::npos) << refused.err;
    }
    EXPECT_NE(run(ctl({"presets", "--aggressiveness", "wild"})).status, 0);
    for (const char* fraction : {"nan", "1.5", "-0.1", "abc"}) {
        auto refused = run(ctl({"helper", "fraction", fraction}));
        EXPECT_NE(refused.status, 0) << fraction;
        EXPECT_NE(refused.status, 2) << fraction;  // a usage error, not "unreachable"
    }
    for (const char* hold : {"nan", "1e300", "-1"}) {
        EXPECT_NE(run(ctl({"select", "max", "--hold", hold})).status, 0) << hold;
    }
    EXPECT_NE(run(ctl({"watch", "--interval", "nan"})).status, 0);
    EXPECT_NE(run(ctl({"watch", "--count", "-1"})).status, 0);
    EXPECT_FALSE(forced());
}

}  // namespace
}  // namespace ventoria::test
