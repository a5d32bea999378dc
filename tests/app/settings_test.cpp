#include "ventoria/app/settings.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QSignalSpy>
#include <fstream>

#include "fan_model_fixture.h"
#include "temporary_root.h"
#include "ventoria/app/login_item.h"
#include "ventoria/app/user_defaults.h"
#include "ventoria/app/user_folder.h"
#include "ventoria/app/user_preferences.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

class SettingsTest : public test::FanModelFixture {};

TEST_F(SettingsTest, DefaultsLeaveEverySurfaceAsItWas) {
    auto defaults = preferencesAt(defaultsPath());
    Settings settings(*defaults);
    EXPECT_EQ(settings.temperatureUnit(), TemperatureUnit::celsius);  // the virtual Mac's own
    EXPECT_FALSE(settings.menuBarTemperature());
    for (auto kind : kAllAlertKinds) EXPECT_TRUE(settings.notifies(kind));
    for (auto source : kAllPowerSources) EXPECT_EQ(settings.powerPreset(source), std::nullopt);
}

// The stored names are what an earlier version, ventoriactl and the user's defaults domain
// share: they must not drift.
TEST_F(SettingsTest, EachSettingIsStoredUnderItsOwnName) {
    {
        auto defaults = preferencesAt(defaultsPath());
        Settings settings(*defaults);
        settings.setTemperatureUnit(TemperatureUnit::fahrenheit);
        settings.setMenuBarTemperature(true);
        settings.setNotifies(AlertKind::stuckFan, false);
        settings.setPowerPreset(PowerSource::battery, Preset::balanced);
        settings.setPowerPreset(PowerSource::charger, Preset::max);
        settings.setPowerPreset(PowerSource::charger, std::nullopt);
    }
    EXPECT_EQ(stored("temperatureUnit"), "fahrenheit");
    EXPECT_EQ(stored("menuBarTemperature").toBool(), true);
    EXPECT_EQ(stored("notify/stuck-fan").toBool(), false);
    EXPECT_FALSE(stored("notify/safety-boost").isValid());  // never touched: the default stands
    EXPECT_EQ(stored("power/battery"), "balanced");
    EXPECT_FALSE(stored("power/charger").isValid());

    auto defaults = preferencesAt(defaultsPath());
    Settings again(*defaults);
    EXPECT_EQ(again.temperatureUnit(), TemperatureUnit::fahrenheit);
    EXPECT_TRUE(again.menuBarTemperature());
    EXPECT_FALSE(again.notifies(AlertKind::stuckFan));
    EXPECT_TRUE(again.notifies(AlertKind::helperUnreachable));
    EXPECT_EQ(again.powerPreset(PowerSource::battery), Preset::balanced);
    EXPECT_EQ(again.powerPreset(PowerSource::charger), std::nullopt);
}

TEST_F(SettingsTest, ChangesAreAnnouncedOnceAndUnknownValuesFallBack) {
    store("temperatureUnit", "kelvin");
    store("power/battery", "turbo");
    auto defaults = preferencesAt(defaultsPath());
    Settings settings(*defaults);
    EXPECT_EQ(settings.temperatureUnit(), TemperatureUnit::celsius);
    EXPECT_EQ(settings.powerPreset(PowerSource::battery), std::nullopt);
    QSignalSpy changed(&settings, &Settings::changed);
    settings.setMenuBarTemperature(true);
    settings.setMenuBarTemperature(true);
    settings.reload();
    EXPECT_EQ(changed.count(), 1);
}

// ventoriactl settings, or a second device's sync, writes the defaults file: a running
// application shows the new unit without a restart.
TEST_F(SettingsTest, AnotherProgramsChangeReachesTheRunningModel) {
    auto& m = start(false);
    EXPECT_EQ(m.unit(), TemperatureUnit::celsius);
    QSignalSpy changed(&m, &FanModel::settingsChanged);
    store("temperatureUnit", "fahrenheit");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(m.unit(), TemperatureUnit::fahrenheit);
}

// Preferences that cannot be read are said to be so, read as empty, and left as they are until
// the user changes something: then Ventoria's own keys replace them, and nothing of theirs is
// carried along.
TEST_F(SettingsTest, UnreadablePreferencesAreLeftAloneUntilTheUserChangesOne) {
    const std::string garbage = "\x01\x02garbage\xff\n[[[\npreset=max\nno equals here\n";
    auto file = defaultsPath().toStdString();
    std::ofstream(file) << garbage;
    auto read = [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto preferences = preferencesAt(defaultsPath());
    EXPECT_EQ(preferences->readProblem(),
              "Settings at " + defaultsPath() + " could not be read; Ventoria uses its defaults");
    EXPECT_FALSE(preferences->value("preset").isValid());  // not whatever the garbage parsed as
    preferences->reload();
    EXPECT_EQ(read(), garbage);

    QSignalSpy written(preferences.get(), &UserPreferences::written);
    EXPECT_TRUE(preferences->set("temperatureUnit", QStringLiteral("fahrenheit")));
    EXPECT_EQ(written.count(), 1);
    EXPECT_EQ(preferences->readProblem(), std::nullopt);
    EXPECT_EQ(read(), "[General]\ntemperatureUnit=fahrenheit\n");
    EXPECT_FALSE(preferences->value("preset").isValid());

    std::ofstream(file, std::ios::app) << "leftover=1\n";  // readable, but not ours
    preferences->reload();
    EXPECT_EQ(preferences->readProblem(), std::nullopt);
    EXPECT_TRUE(preferences->set("mode", QStringLiteral("notch")));
    EXPECT_EQ(read(), "[General]\nmode=notch\ntemperatureUnit=fahrenheit\n");
}

// A write that does not reach the disk (here a directory stands where the file belongs) is
// reported by each way of writing: the store, the settings, the model's presets and choice.
TEST_F(SettingsTest, EveryWriteThatFailsSaysSo) {
    std::filesystem::create_directories(defaultsPath().toStdString());
    auto preferences = preferencesAt(defaultsPath());
    QSignalSpy failed(preferences.get(), &UserPreferences::writeFailed);
    Settings settings(*preferences);
    EXPECT_FALSE(settings.setTemperatureUnit(TemperatureUnit::fahrenheit));
    EXPECT_FALSE(settings.setPowerPreset(PowerSource::battery, Preset::max));
    EXPECT_EQ(failed.count(), 2);
    EXPECT_EQ(preferences->writeProblem(), "Settings could not be saved to " + defaultsPath());

    installable();
    auto& m = start(false);
    EXPECT_FALSE(m.savePresets({45, 90}, m.smart()));
    m.select(Preset::max);
    waitUntilApplied();
    EXPECT_EQ(m.preset(), Preset::max);  // in force, but not kept
    EXPECT_EQ(m.unsaved(), "Settings could not be saved to " + defaultsPath());
    EXPECT_EQ(m.errorMessage(), m.unsaved());  // the helper's success does not hide it
}

TEST_F(SettingsTest, TheModelSaysOnceThatItsPreferencesCouldNotBeRead) {
    std::ofstream(defaultsPath().toStdString()) << "\xff\xfe\nno equals here\n";
    auto& m = start(false);
    ASSERT_TRUE(m.errorMessage());
    EXPECT_TRUE(m.errorMessage()->endsWith("could not be read; Ventoria uses its defaults"));
    installable();
    m.select(Preset::balanced);
    waitUntilApplied();
    EXPECT_EQ(m.errorMessage(), std::nullopt);
    EXPECT_EQ(stored("preset"), "balanced");
}

TEST(AutostartEntry, OpensTheApplicationAsOneQuotedArgument) {
    EXPECT_EQ(autostartEntry("/opt/My Apps/Ventoria"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Ventoria\n"
              "Comment=Fan control from the menu bar\n"
              "Exec=\"/opt/My Apps/Ventoria\"\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    // $, ` and " are escaped for the Exec parser, and the escape itself for the file format.
    auto entry = autostartEntry("/opt/a$b`c\"d\\e/Ventoria");
    EXPECT_NE(entry.find("Exec=\"/opt/a\\\\$b\\\\`c\\\\\"d\\\\\\\\e/Ventoria\"\n"),
              std::string::npos)
        << entry;
}

// The switch shows what the system will do: the entry on disk, read afresh, not what was last
// asked for.
TEST_F(SettingsTest, LaunchAtLoginIsWhatTheAutostartFolderHolds) {
    EXPECT_FALSE(launchesAtLogin());
    EXPECT_EQ(setLaunchAtLogin(true), std::nullopt);
    EXPECT_TRUE(launchesAtLogin());
    auto folder = platform::systemPath("/Users");
    std::filesystem::path entry;
    for (const auto& found : std::filesystem::recursive_directory_iterator(folder)) {
        if (found.path().extension() == ".desktop") entry = found.path();
    }
    ASSERT_FALSE(entry.empty());
    EXPECT_EQ(entry.parent_path().filename(), "autostart");
    EXPECT_EQ(entry.parent_path().parent_path().filename(), ".config");
    std::ofstream(entry, std::ios::app) << "Hidden=true\n";  // the desktop's own switch
    EXPECT_FALSE(launchesAtLogin());
    EXPECT_EQ(setLaunchAtLogin(false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(setLaunchAtLogin(false), std::nullopt);  // already off: nothing to do
}

// On the machine itself the user's files live in the user's XDG folder, not in a virtual
// Mac's /Users (which on "/" would be a folder no user may create).
TEST(UserFolderTest, OnTheMachineItselfTheUsersFilesAreInTheXdgFolder) {
    test::TemporaryRoot home;  // only a folder of the test's own; the root is "/" here
    setenv("VENTORIA_SYSROOT", "/", 1);
    auto config = home.path() / "config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(userDefaultsFile(), config / "ventoria" / "io.kestrand.ventoria.ini");
    {
        auto preferences = userPreferences();
        Settings settings(*preferences);
        settings.setTemperatureUnit(TemperatureUnit::fahrenheit);
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(userDefaultsFile()));
    EXPECT_EQ(setLaunchAtLogin(true), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(config / "autostart" / "io.kestrand.ventoria.desktop"));
    EXPECT_TRUE(launchesAtLogin());

    // A relative XDG path is to be ignored: the home's .config instead.
    setenv("XDG_CONFIG_HOME", "config", 1);
    auto savedHome = std::string(std::getenv("HOME") ? std::getenv("HOME") : "");
    setenv("HOME", home.path().c_str(), 1);
    EXPECT_EQ(userConfigFolder(), home.path() / ".config");
    setenv("HOME", savedHome.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");

    // A virtual Mac keeps them under its root.
    setenv("VENTORIA_SYSROOT", home.path().c_str(), 1);
    EXPECT_TRUE(userDefaultsFile().string().starts_with((home.path() / "Users").string()));
    EXPECT_EQ(userConfigFolder().parent_path().parent_path(), home.path() / "Users");
}

}  // namespace
}  // namespace ventoria::app
