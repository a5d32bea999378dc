// The Settings and Details windows as a user meets them.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include "app_delegate.h"
#include "controls/close_button.h"
#include "controls/menu_row.h"
#include "fan_model_fixture.h"
#include "notch_view.h"
#include "status_item_controller.h"
#include "ventoria/app/login_item.h"
#include "ventoria/app/model_text.h"
#include "widget_part.h"

namespace ventoria::ui {
namespace {

using app::TemperatureUnit;

class NoDisplays : public NotchDisplays {
  public:
    std::optional<NotchScreen> notchScreen() override { return std::nullopt; }
};

class SettingsWindowTest : public test::FanModelFixture {
  protected:
    AppDelegate& launch() {
        start(false);
        delegate = std::make_unique<AppDelegate>(std::move(model), std::make_unique<NoDisplays>());
        delegate->didFinishLaunching();
        return *delegate;
    }
    void clickRightHalf(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {},
                          QPoint(widget->width() * 3 / 4, widget->height() / 2));
    }
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(SettingsWindowTest, TheSettingsRowOpensSettingsWithThePopoverOutOfTheWay) {
    auto& d = launch();
    auto* popover = d.statusItem()->popover();
    popover->show();
    QTest::mouseClick(part<MenuRow>(*popover->view(), "settingsRow"), Qt::LeftButton);
    EXPECT_FALSE(popover->isVisible());
    ASSERT_TRUE(d.settings()->settingsWindow());
    EXPECT_TRUE(d.settings()->settingsWindow()->isVisible());
    QTest::mouseClick(part<MenuRow>(*d.settings()->settings(), "detailsRow"), Qt::LeftButton);
    EXPECT_TRUE(d.settings()->detailsWindow()->isVisible());
}

// The editor, Settings and Details are frameless on Linux: each has a close control a mouse
// can reach, without first clicking into the window to give Escape somewhere to go.
TEST_F(SettingsWindowTest, EveryPanelWindowHasACloseControl) {
    auto& d = launch();
    d.model().editPresets();
    d.model().openSettings();
    d.model().openDetails();
    std::vector<QWidget*> windows = {d.presetEditor()->window(), d.settings()->settingsWindow(),
                                     d.settings()->detailsWindow()};
    for (auto* window : windows) {
        ASSERT_TRUE(window);
        ASSERT_TRUE(window->isVisible());
        auto* close = window->findChild<CloseButton*>(QStringLiteral("close"));
        ASSERT_TRUE(close) << window->windowTitle().toStdString();
        EXPECT_TRUE(close->isVisible());
        QTest::mouseClick(close, Qt::LeftButton);
        EXPECT_FALSE(window->isVisible()) << window->windowTitle().toStdString();
    }
}

// One switch, and every temperature the interface shows follows, stored for the next start.
TEST_F(SettingsWindowTest, TheUnitSwitchTurnsEveryTemperatureToFahrenheit) {
    auto& m = start(false);
    SettingsView view(m);
    NotchState state;
    NotchView notch(m, state, [] {});
    ASSERT_TRUE(m.temps().chip);
    EXPECT_EQ(notch.chipText(),
              app::shortTemperatureText(m.temps().chip, TemperatureUnit::celsius));
    clickRightHalf(part<Segmented>(view, "unit"));
    EXPECT_EQ(m.unit(), TemperatureUnit::fahrenheit);
    EXPECT_EQ(stored("temperatureUnit"), "fahrenheit");
    double fahrenheit = *m.temps().chip * 9 / 5 + 32;
    EXPECT_EQ(notch.chipText(), app::wholeText(fahrenheit) + "°");
}

TEST_F(SettingsWindowTest, TheMenuBarTemperatureSitsBesideTheGlyph) {
    auto& m = start(false);
    StatusItemController item(m, [] {});
    int glyphOnly = item.icon().width();
    SettingsView view(m);
    QTest::mouseClick(part<ToggleSwitch>(view, "menuBarTemperature"), Qt::LeftButton);
    EXPECT_TRUE(m.settings().menuBarTemperature());
    EXPECT_GT(item.icon().width(), glyphOnly + 20);  // "NN°" after the glyph
    m.settings().setMenuBarTemperature(false);
    EXPECT_EQ(item.icon().width(), glyphOnly);
}

// The switch says what the system will do, and a click changes the system, not just the switch.
TEST_F(SettingsWindowTest, LaunchAtLoginShowsAndChangesTheSystemsState) {
    auto& m = start(false);
    ASSERT_EQ(app::setLaunchAtLogin(true), std::nullopt);
    SettingsView view(m);
    auto* launch = part<ToggleSwitch>(view, "launchAtLogin");
    EXPECT_TRUE(launch->isOn());
    QTest::mouseClick(launch, Qt::LeftButton);
    EXPECT_FALSE(app::launchesAtLogin());
    EXPECT_FALSE(launch->isOn());
}

TEST_F(SettingsWindowTest, NotificationAndPowerChoicesReachTheSettings) {
    auto& m = start(false);
    SettingsView view(m);
    auto* stuck = part<ToggleSwitch>(view, "notify-stuck-fan");
    EXPECT_TRUE(stuck->isOn());
    QTest::mouseClick(stuck, Qt::LeftButton);
    EXPECT_FALSE(m.settings().notifies(app::AlertKind::stuckFan));
    EXPECT_TRUE(m.settings().notifies(app::AlertKind::safetyBoost));
    EXPECT_FALSE(stuck->isOn());

    auto* battery = part<QComboBox>(view, "power-battery");
    EXPECT_EQ(battery->currentText(), "No change");
    battery->setCurrentIndex(battery->findText("Max"));
    emit battery->activated(battery->currentIndex());
    EXPECT_EQ(m.settings().powerPreset(app::PowerSource::battery), app::Preset::max);
    EXPECT_EQ(m.settings().powerPreset(app::PowerSource::charger), std::nullopt);
    m.settings().setPowerPreset(app::PowerSource::charger, app::Preset::smart);
    EXPECT_EQ(part<QComboBox>(view, "power-charger")->currentText(), "Smart");
}

// Open, the Details window lists every fan and sensor and reads them with each poll; closed,
// a poll costs what it did without it.
TEST_F(SettingsWindowTest, DetailsListEverythingAndReadOnlyWhileOpen) {
    auto& d = launch();
    auto& m = d.model();
    m.poll();
    mac->resetCounters();
    m.poll();
    auto plain = totalCalls();

    m.openDetails();
    auto* window = d.settings()->detailsWindow();
    ASSERT_TRUE(window && window->isVisible());
    auto* fans = part<QTreeWidget>(*d.settings()->details(), "fans");
    ASSERT_EQ(fans->topLevelItemCount(), 2);
    EXPECT_EQ(fans->topLevelItem(1)->text(0), "Fan 2");
    EXPECT_EQ(fans->topLevelItem(1)->text(2), app::rpmText(*m.details().fans[1].target));
    auto* sensors = part<QTreeWidget>(*d.settings()->details(), "sensors");
    // A row per sensor and a heading per group.
    EXPECT_EQ(sensors->topLevelItemCount(), static_cast<int>(m.details().sensors.size()) + 4);
    EXPECT_EQ(sensors->topLevelItem(0)->text(0), "Chip");

    // A poll changes texts, not rows: the reader's place in the list stays.
    auto* firstSensor = sensors->topLevelItem(1);
    setValue(m.details().sensors[0].key, 77.25);
    m.poll();
    EXPECT_EQ(sensors->topLevelItem(1), firstSensor);
    EXPECT_EQ(firstSensor->text(2), app::temperatureText(77.25, TemperatureUnit::celsius, 1));

    window->close();
    mac->resetCounters();
    m.poll();
    EXPECT_EQ(totalCalls(), plain);
}

}  // namespace
}  // namespace ventoria::ui
