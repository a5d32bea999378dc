#include <gtest/gtest.h>

#include <QSignalSpy>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "await_task.h"
#include "fan_model_fixture.h"
#include "protocol_version.h"
#include "ventoria/hardware/thermals.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

using test::FakeHelper;
using Events = std::vector<std::string>;
// A bound no test reaches: the hand-back ends on its own.
constexpr std::chrono::hours kUnbounded{1};

class FanModelTest : public test::FanModelFixture {
  protected:
    explicit FanModelTest(sim::Profile profile = sim::Profile::appleSilicon)
        : FanModelFixture(profile) {}
};

TEST_F(FanModelTest, ReadsTheMachineAtOnce) {
    auto& m = start();
    ASSERT_EQ(m.fans().size(), 2u);
    EXPECT_TRUE(m.temps().chip);
    EXPECT_EQ(m.levelText(), "System");
    EXPECT_EQ(m.subtitle(Preset::automatic), "Following macOS");
    EXPECT_EQ(m.fanSummary().count('\n'), 1);
}

// A poll reads what it shows: each sensor, and each fan's speed and mode. The fans' count and
// limits come from the layout, read once a minute; checking a fixed preset costs nothing more.
TEST_F(FanModelTest, APollReadsTheSensorsAndTwoKeysPerFan) {
    installable();
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    hardware::Thermals sensors(std::make_shared<hardware::SMCReader>());
    auto sensorCount = sensors.chipKeys().size() + sensors.chassisKeys().size();
    m.poll();
    mac->resetCounters();
    m.poll();
    EXPECT_LE(totalCalls(), sensorCount + 2 * 2 + 1);
    EXPECT_EQ(machine().calls.readKeyInfo, 0u);
}

TEST_F(FanModelTest, StartsWithTheRegisteredDefaults) {
    auto& m = start();
    EXPECT_EQ(m.preset(), Preset::automatic);
    EXPECT_EQ(m.placement().preferredMode(), DisplayMode::menu);
    EXPECT_EQ(m.custom(), (CustomPercentages{60, 100}));
    EXPECT_EQ(m.smart(), (smart::SmartSettings{0, smart::Aggressiveness::normal}));
    EXPECT_EQ(m.bars(Preset::balanced), 2);
    EXPECT_EQ(m.history().capacity(), 900u);  // half an hour of polls, one every 2 s
}

// The first seconds of the application: what it does at start is what the stored choice
// needs and no more, and the polls that follow find no change in having started. Nothing is
// installed at start, a stored choice is sent once, and no preset, power source or alert
// changes because the first poll had nothing before it.
TEST_F(FanModelTest, TheFirstSecondsDoOnlyWhatTheStoredChoiceNeeds) {
    struct Case {
        const char* name;
        const char* stored;  // nothing: never chosen
        bool helperInstalled;
        Preset preset;
        Events events;  // all but Smart's status questions, which every poll asks
    };
    const Events resent{"connect", "versionWithReply:", "setFraction:reply:"};
    const Case cases[] = {
        {"nothing stored", nullptr, true, Preset::automatic, {}},
        {"auto stored", "auto", true, Preset::automatic, {}},
        // No installation behind the user's back at start: the choice falls back, and says so.
        {"max without the helper", "max", false, Preset::automatic, {}},
        {"max with the helper", "max", true, Preset::max, resent},
        {"balanced with the helper", "balanced", true, Preset::balanced, resent},
        {"smart with the helper",
         "smart",
         true,
         Preset::smart,
         {"connect", "versionWithReply:", "setSmart:reply:"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.reset();
        helper = {};
        std::filesystem::remove(root.path() / "defaults.ini");
        std::filesystem::remove(platform::systemPath(kHelperPlistPath));
        if (c.stored) store("preset", c.stored);
        if (c.helperInstalled) test::placeHelperPlist();
        installable();
        auto& m = start();
        waitUntilApplied();
        QSignalSpy preset(&m, &FanModel::presetChanged);
        QSignalSpy power(&m, &FanModel::powerSourceChanged);
        QSignalSpy alerts(&m, &FanModel::alerted);
        for (int poll = 0; poll < 3; ++poll) {
            advance(2);
            m.poll();
            QCoreApplication::processEvents();
        }
        Events events;
        std::copy_if(helper.events.begin(), helper.events.end(), std::back_inserter(events),
                     [](const std::string& event) { return event != "smartStatusWithReply:"; });
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(m.preset(), c.preset);
        EXPECT_EQ(stored("preset").toString().toStdString(),
                  c.stored ? std::string(rawValue(c.preset)) : std::string());
        EXPECT_EQ(preset.count(), 0);
        EXPECT_EQ(power.count(), 0);
        EXPECT_EQ(alerts.count(), 0);
        EXPECT_FALSE(retryTimer->pending());
    }
}

TEST_F(FanModelTest, StoredValuesAreReadStrictly) {
    store("mode", "Notch");
    store("preset", "turbo");
    store("smart", QByteArray(R"({"minimum": 12.5, "aggressiveness": "gentle"})"));
    store("balanced", 45);
    auto& m = start();
    EXPECT_EQ(m.placement().preferredMode(), DisplayMode::menu);
    EXPECT_EQ(m.preset(), Preset::automatic);
    EXPECT_EQ(m.smart().minimum, 0);
    EXPECT_EQ(m.custom().balanced, 45);
}

TEST_F(FanModelTest, ChoicesArePersistedAndSettingAnEqualValueNotifiesNobody) {
    installable();
    auto& m = start();
    QSignalSpy presets(&m, &FanModel::presetChanged);
    m.select(Preset::max);
    waitUntilApplied();
    EXPECT_EQ(presets.count(), 1);
    EXPECT_EQ(stored("preset"), "max");
    // Each preset under the name another build of the application reads back.
    const std::pair<Preset, const char*> names[] = {
        {Preset::automatic, "auto"}, {Preset::smart, "smart"}, {Preset::balanced, "balanced"}};
    for (auto [preset, name] : names) {
        m.select(preset);
        waitUntilApplied();
        EXPECT_EQ(stored("preset"), name);
    }
    EXPECT_EQ(presets.count(), 4);
    QSignalSpy open(&m.placement(), &DisplayPlacement::changed);
    m.placement().setNotchOpen(true);
    m.placement().setNotchOpen(true);
    EXPECT_EQ(open.count(), 1);
}

// The selected tile is the way out whenever anything went wrong: clicking it sends it again.
TEST_F(FanModelTest, ChoosingTheActivePresetAgainSendsItAgain) {
    installable();
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    helper.events.clear();
    QSignalSpy presets(&m, &FanModel::presetChanged);
    m.select(Preset::max);
    waitUntilApplied();
    EXPECT_EQ(helper.events, (Events{"versionWithReply:", "setFraction:reply:"}));
    EXPECT_EQ(presets.count(), 0);
}

// The helper enforces only while our connection lasts: when it ends under a preset that needs
// the helper, the model says so and sends the choice again, without installing behind the
// user's back, until it is in force again: after a second, then after pauses that double up to
// half a minute, and after a success from a second again.
TEST_F(FanModelTest, WhenTheHelperGoesAwayTheChoiceIsSentAgainUntilItHolds) {
    using std::chrono::milliseconds;
    installable();
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    helper.events.clear();
    helper.badProxy = true;  // the first attempts find nobody
    helper.connections.back()->invalidate();
    QCoreApplication::processEvents();
    EXPECT_EQ(m.preset(), Preset::max);
    ASSERT_TRUE(m.errorMessage());
    EXPECT_TRUE(m.errorMessage()->endsWith("(trying again)")) << m.errorMessage()->toStdString();
    // One wording on the tile for the one failure, however the system words each attempt.
    EXPECT_EQ(m.subtitle(Preset::max), "Helper unavailable, retrying");
    EXPECT_EQ(retryTimer->started, std::vector{milliseconds(1000)});
    EXPECT_TRUE(helper.events.empty());  // nothing goes out before the pause has passed

    for (int attempt = 0; attempt < 6; ++attempt) {
        retryTimer->elapse();
        waitUntilApplied();
        EXPECT_TRUE(m.errorMessage()->endsWith("(trying again)"));
        EXPECT_EQ(m.subtitle(Preset::max), "Helper unavailable, retrying");
    }
    EXPECT_EQ(retryTimer->started,
              (std::vector<milliseconds>{milliseconds(1000), milliseconds(2000), milliseconds(4000),
                                         milliseconds(8000), milliseconds(16000),
                                         milliseconds(30000), milliseconds(30000)}));
    helper.badProxy = false;
    retryTimer->elapse();
    waitUntilApplied();  // this one gets through
    EXPECT_EQ(m.errorMessage(), std::nullopt);
    EXPECT_EQ(m.preset(), Preset::max);
    EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "install"), 0);
    EXPECT_EQ(helper.events.back(), "setFraction:reply:");
    EXPECT_FALSE(retryTimer->pending());

    // The success reset the pauses: the next loss waits a second again.
    retryTimer->started.clear();
    helper.badProxy = true;
    helper.connections.back()->invalidate();
    QCoreApplication::processEvents();
    EXPECT_EQ(retryTimer->started, std::vector{milliseconds(1000)});
}

TEST_F(FanModelTest, NoRetryUnderAutomaticOrAfterQuitting) {
    installable();
    auto& m = start();
    m.select(Preset::automatic);
    waitUntilApplied();
    helper.events.clear();
    if (!helper.connections.empty()) helper.connections.back()->invalidate();
    QCoreApplication::processEvents();
    EXPECT_EQ(m.errorMessage(), std::nullopt);

    m.select(Preset::balanced);
    waitUntilApplied();
    auto quitting = m.handBackWithin(kUnbounded);
    test::awaitTask(quitting);
    helper.events.clear();
    helper.connections.back()->invalidate();
    QCoreApplication::processEvents();
    retryTimer->elapse();
    QCoreApplication::processEvents();
    EXPECT_TRUE(helper.events.empty());
}

// A wake hands the fans to the machine until the helper forces them again, a moment later: the
// model reads at once, without waiting for its timer, and the fans get the time of a fresh
// choice before one is named.
TEST_F(FanModelTest, AWakeReadsAtOnceAndGivesTheFansTimeBeforeTheyAreChecked) {
    installable();
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    setValue("F0Md", 1);
    setValue("F1Md", 1);
    m.poll();
    ASSERT_EQ(m.fanProblem(), std::nullopt);  // checked, and following

    setValue("F0Md", 0);  // what the wake did
    setValue("F1Md", 0);
    QSignalSpy read(&m, &FanModel::fansChanged);
    m.machineWoke();
    EXPECT_EQ(read.count(), 1);
    EXPECT_FALSE(m.fans()[0].manual);
    EXPECT_EQ(m.fanProblem(), std::nullopt);
    m.poll();  // the helper would have forced them by now; it has not
    EXPECT_EQ(m.fanProblem(), "Fan 1 is not under Ventoria's control");
}

// The scripted helper accepts every request and forces nothing, so the fans themselves say
// that the choice is not in force; once they are forced, the error goes.
TEST_F(FanModelTest, FansThatDoNotFollowAFixedPresetAreReported) {
    installable();
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    EXPECT_EQ(m.errorMessage(), std::nullopt);
    QSignalSpy checked(&m, &FanModel::checked);
    EXPECT_EQ(m.fanProblem(), std::nullopt);  // the poll right after the choice is too early
    m.poll();
    ASSERT_EQ(checked.count(), 1);
    EXPECT_EQ(m.fanProblem(), "Fan 1 is not under Ventoria's control");
    EXPECT_EQ(m.errorMessage(), m.fanProblem());
    setValue("F0Md", 1);
    m.poll();
    EXPECT_EQ(m.fanProblem(), "Fan 2 is not under Ventoria's control");
    setValue("F1Md", 1);
    fault("F1Ac", sim::FaultKind::missing);
    m.poll();
    EXPECT_EQ(m.fanProblem(), "Fan 2 cannot be read");
    fault("F1Ac", sim::FaultKind::none);
    m.poll();
    EXPECT_EQ(m.fanProblem(), std::nullopt);
    EXPECT_EQ(m.errorMessage(), std::nullopt);
}

// A fan that is forced but does not reach the speed its preset asks (a target key that
// refuses writes, a fan that is failing, another client's choice in force) is named once it
// has had the time a fan takes to spin up: never while it may still be on its way.
TEST_F(FanModelTest, AForcedFanThatDoesNotReachItsSpeedIsNamedAfterTheSlew) {
    installable();
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    for (const char* key : {"Ftst", "F0Md", "F1Md"}) setValue(key, 1);
    setValue("F0Tg", 5700);  // fan 1 follows; fan 2 stays at its minimum
    advance(10);
    const int allowance = 5;  // 10 s of 2-second polls, the first of them checked next
    for (int check = 1; check < allowance; ++check) {
        m.poll();
        EXPECT_EQ(m.fanProblem(), std::nullopt) << check;
    }
    m.poll();
    ASSERT_TRUE(m.fanProblem());
    EXPECT_TRUE(m.fanProblem()->startsWith("Fan 2 runs at 1")) << m.fanProblem()->toStdString();
    EXPECT_TRUE(m.fanProblem()->endsWith(" rpm, not the 6200 rpm asked"));
    EXPECT_EQ(m.errorMessage(), m.fanProblem());
    setValue("F1Tg", 6200);
    advance(10);
    m.poll();
    EXPECT_EQ(m.fanProblem(), std::nullopt);
    m.select(Preset::balanced);  // a new choice starts the count again
    waitUntilApplied();
    EXPECT_EQ(m.fanProblem(), std::nullopt);
}

// Handing back is a promise too: a fan that stays forced after it (a helper that could not
// reach the SMC, another program) is named, not shown as the machine's.
TEST_F(FanModelTest, FansThatStayForcedUnderAutoAreReported) {
    installable();
    setValue("Ftst", 1);
    setValue("F1Md", 1);
    auto& m = start();
    m.select(Preset::automatic);
    waitUntilApplied();
    EXPECT_EQ(m.fanProblem(), std::nullopt);  // the hand-back takes a few ticks
    m.poll();
    EXPECT_EQ(m.fanProblem(), "Fan 2 is still forced");
    EXPECT_EQ(m.errorMessage(), m.fanProblem());
    setValue("F1Md", 0);
    m.poll();
    EXPECT_EQ(m.errorMessage(), std::nullopt);
}

TEST_F(FanModelTest, AChoiceHeldOnlyForNowIsNotStored) {
    installable();
    store("preset", "smart");
    auto& m = startWith({.reapplyAtStart = false, .persistChoice = false}, defaultsPath());
    m.select(Preset::max);
    waitUntilApplied();
    EXPECT_EQ(m.preset(), Preset::max);
    EXPECT_EQ(stored("preset"), "smart");
}

// Another program changed the stored presets: a running model takes them up like a save,
// and sends the active preset again when it uses what changed.
TEST_F(FanModelTest, PresetsStoredByAnotherProgramReachTheRunningModel) {
    installable();
    auto& m = start();
    m.select(Preset::balanced);
    waitUntilApplied();
    helper.events.clear();
    QSignalSpy custom(&m, &FanModel::customChanged);
    store("balanced", 35);
    ASSERT_TRUE(custom.wait(5000));
    EXPECT_EQ(m.custom().balanced, 35);
    waitUntilApplied();
    EXPECT_EQ(helper.events, (Events{"versionWithReply:", "setFraction:reply:"}));
}

// The first program to store anything may be another one, before the preferences folder
// exists at all (a fresh account): a running model still takes its change up.
TEST_F(FanModelTest, PresetsStoredBeforeTheirFolderExistedReachTheRunningModel) {
    auto file = QString::fromStdString((root.path() / "Library/Preferences/defaults.ini").string());
    auto& m = startWith({.reapplyAtStart = false}, file);
    QSignalSpy custom(&m, &FanModel::customChanged);
    QSettings(file, QSettings::IniFormat).setValue("balanced", 35);
    ASSERT_TRUE(custom.wait(5000));
    EXPECT_EQ(m.custom().balanced, 35);
    QSettings(file, QSettings::IniFormat).setValue("balanced", 40);  // and the file, from now on
    ASSERT_TRUE(custom.wait(5000));
    EXPECT_EQ(m.custom().balanced, 40);
}

TEST_F(FanModelTest, SettingsThatCannotBeStoredAreReportedNotClaimed) {
    std::ofstream(root.path() / "blocker") << "a file where a folder should be";
    auto& m = startWith({.reapplyAtStart = false},
                        QString::fromStdString((root.path() / "blocker/defaults.ini").string()));
    EXPECT_FALSE(m.savePresets({45, 100}, {}));
    ASSERT_TRUE(m.errorMessage());
    EXPECT_TRUE(m.errorMessage()->startsWith("Settings could not be saved to "));
}

TEST_F(FanModelTest, StoredPercentagesOutOfRangeFallBackToTheirDefaults) {
    for (const char* bad : {"-50", "abc", "1000000000", "99999999999", "101"}) {
        store("balanced", bad);
        store("max", bad);
        store("smart", QByteArray(R"({"minimum": 250, "aggressiveness": "gentle"})"));
        auto& m = start();
        EXPECT_EQ(m.custom(), kDefaultCustom) << bad;
        EXPECT_EQ(m.smart().minimum, 100) << bad;
    }
}

TEST_F(FanModelTest, TwoQuickChoicesSendOnlyTheSecond) {
    installable();
    auto& m = start();
    m.select(Preset::balanced);  // installs, then waits for launchd
    m.select(Preset::max);
    waitUntilApplied();
    EXPECT_EQ(helper.events,
              (Events{"install", "connect", "versionWithReply:", "setFraction:reply:"}));
    EXPECT_EQ(m.preset(), Preset::max);
    EXPECT_EQ(m.errorMessage(), std::nullopt);
}

TEST_F(FanModelTest, ADismissedInstallFallsBackToAutoWithTheMessage) {
    helper.installFailure = "User canceled.";
    auto& m = start();
    m.select(Preset::smart);
    waitUntilApplied();
    EXPECT_EQ(m.preset(), Preset::automatic);
    EXPECT_EQ(m.errorMessage(), "Helper install failed: User canceled.");
    EXPECT_EQ(m.subtitle(Preset::automatic), "Helper install failed");  // the detail: the tooltip
    EXPECT_EQ(m.subtitle(Preset::max), "Fixed 100 %");
    m.select(Preset::automatic);  // retries: nothing to send without a helper, and it clears
    waitUntilApplied();
    EXPECT_EQ(m.errorMessage(), std::nullopt);
    EXPECT_EQ(helper.events, (Events{"install"}));
}

TEST_F(FanModelTest, RefusalsShowTheHelpersWords) {
    test::placeHelperPlist();
    helper.version = test::kProtocolVersion;
    helper.answer = std::optional<std::string>("No fans detected");
    auto& m = start();
    m.select(Preset::balanced);
    waitUntilApplied();
    EXPECT_EQ(m.errorMessage(), "No fans detected");
    EXPECT_EQ(m.preset(), Preset::automatic);
}

TEST_F(FanModelTest, SavingSendsOnlyWhatTheActivePresetUses) {
    installable();
    auto& m = start();
    m.select(Preset::balanced);
    waitUntilApplied();
    helper.events.clear();
    m.savePresets({60, 100}, {25, smart::Aggressiveness::gentle});
    EXPECT_FALSE(m.applying());
    EXPECT_EQ(stored("smart").toByteArray(), R"({"aggressiveness":"gentle","minimum":25})");
    m.savePresets({45, 100}, {25, smart::Aggressiveness::gentle});
    waitUntilApplied();
    EXPECT_EQ(helper.events, (Events{"versionWithReply:", "setFraction:reply:"}));
    EXPECT_EQ(stored("balanced"), 45);
    EXPECT_EQ(m.subtitle(Preset::balanced), "Fixed 45 %");
}

// What reaches the helper for each choice: the preset's percentage as a fraction, the Smart
// settings as their record, automatic as a hand-back.
TEST_F(FanModelTest, EachPresetSendsWhatItMeans) {
    installable();
    auto& m = start();
    m.select(Preset::balanced);
    waitUntilApplied();
    EXPECT_EQ(lastFraction(), 0.6);
    m.select(Preset::max);
    waitUntilApplied();
    EXPECT_EQ(lastFraction(), 1.0);
    m.savePresets({60, 85}, m.smart());
    waitUntilApplied();
    EXPECT_EQ(lastFraction(), 0.85);
    m.savePresets({60, 85}, {35, smart::Aggressiveness::aggressive});
    m.select(Preset::smart);
    waitUntilApplied();
    ASSERT_TRUE(lastCommand<ipc::SetSmart>());
    EXPECT_EQ(lastCommand<ipc::SetSmart>()->settings.data,
              R"({"aggressiveness":"aggressive","minimum":35})");
    m.select(Preset::automatic);
    waitUntilApplied();
    EXPECT_TRUE(lastCommand<ipc::SetAuto>());
}

TEST_F(FanModelTest, TheNotchIsRefusedWithoutANotchDisplay) {
    auto& m = start();
    m.placement().setDisplayMode(DisplayMode::notch);
    EXPECT_EQ(m.placement().preferredMode(), DisplayMode::menu);
    EXPECT_FALSE(m.placement().notchOpen());
    m.placement().setNotchAvailable(true);
    m.placement().setDisplayMode(DisplayMode::notch);
    EXPECT_TRUE(m.placement().usesNotch());
    EXPECT_TRUE(m.placement().notchOpen());
    EXPECT_EQ(stored("mode"), "notch");
    bool opened = false;
    QObject::connect(&m, &FanModel::editPresetsRequested, [&] { opened = true; });
    m.editPresets();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(m.placement().notchOpen());
    m.placement().setDisplayMode(DisplayMode::menu);
    EXPECT_FALSE(m.placement().usesNotch());
}

TEST_F(FanModelTest, WhileSmartRunsEveryPollAsksForItsStatus) {
    installable();
    auto& m = start();
    m.select(Preset::smart);
    waitUntilApplied();
    helper.answer =
        std::optional<std::string>(R"({"phase":"boost","driver":"chip","level":0.5,"cooldown":0})");
    QSignalSpy polled(&m, &FanModel::polled);
    m.poll();
    ASSERT_TRUE(polled.wait(2000));
    EXPECT_EQ(m.smartPhase(), smart::Phase::boost);
    EXPECT_TRUE(m.subtitle(Preset::smart).startsWith("Smart · 50 % · CPU "));
    helper.answer = std::optional<std::string>("not a status");
    m.poll();
    ASSERT_TRUE(polled.wait(2000));
    EXPECT_EQ(m.smartStatus(), std::nullopt);
    EXPECT_EQ(m.errorMessage(), std::nullopt);
}

TEST_F(FanModelTest, HandingBackAsksTheInstalledHelperOnce) {
    auto& m = start();
    auto withoutHelper = m.handBackWithin(kUnbounded);
    test::awaitTask(withoutHelper);
    EXPECT_TRUE(helper.events.empty());
    test::placeHelperPlist();
    helper.answer = std::optional<std::string>();
    auto withHelper = m.handBackWithin(kUnbounded);
    test::awaitTask(withHelper);
    EXPECT_EQ(helper.events, (Events{"connect", "setAutoWithReply:"}));
}

// A helper that does not answer keeps quitting waiting exactly as long as the bound, by the
// sender's own timer, and not until it answers.
TEST_F(FanModelTest, QuittingWaitsForASilentHelperOnlyUntilItsBound) {
    test::placeHelperPlist();
    auto& m = start();
    auto quit = m.handBackWithin(std::chrono::milliseconds(200));
    QCoreApplication::processEvents();
    ASSERT_FALSE(retryTimer->started.empty());
    EXPECT_EQ(retryTimer->started.back(), std::chrono::milliseconds(200));
    EXPECT_FALSE(quit.isReady());
    retryTimer->elapse();
    test::awaitTask(quit);
    EXPECT_EQ(helper.waiting.size(), 1u);  // still unanswered, and we are done
}

class NoSMCModelTest : public FanModelTest {
  protected:
    NoSMCModelTest() : FanModelTest(sim::Profile::noSMC) {}
};

TEST_F(NoSMCModelTest, WithoutAnSMCThereIsNothingToShow) {
    auto& m = start();
    EXPECT_TRUE(m.fans().empty());
    EXPECT_EQ(m.temps(), hardware::ThermalReading{});
    EXPECT_EQ(m.levelText(), "—");
    EXPECT_EQ(m.subtitle(Preset::max), "No fans detected");
}

}  // namespace
}  // namespace ventoria::app
