#include "ventoria/app/settings.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QSignalSpy>
#include <fstream>

#include "fan_model_fixture.h"
#include "ventoria/app/login_item.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

class SettingsTest : public test::FanModelFixture {};

TEST_F(SettingsTest, DefaultsLeaveEverySurfaceAsItWas) {
    QSettings defaults(defaultsPath(), QSettings::IniFormat);
    Settings settings(defaults);
    EXPECT_EQ(settings.temperatureUnit(), TemperatureUnit::celsius);  // the virtual Mac's own
    EXPECT_FALSE(settings.menuBarTemperature());
    for (auto kind : kAllAlertKinds) EXPECT_TRUE(settings.notifies(kind));
    for (auto source : kAllPowerSources) EXPECT_EQ(settings.powerPreset(source), std::nullopt);
}

// The stored names are what an earlier version, ventoriactl and the user's defaults domain
// share: they must not drift.
TEST_F(SettingsTest, EachSettingIsStoredUnderItsOwnName) {
    {
        QSettings defaults(defaultsPath(), QSettings::IniFormat);
        Settings settings(defaults);
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

    QSettings defaults(defaultsPath(), QSettings::IniFormat);
    Settings again(defaults);
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
    QSettings defaults(defaultsPath(), QSettings::IniFormat);
    Settings settings(defaults);
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

}  // namespace
}  // namespace ventoria::app
