// What the model adds for the Settings and Details windows: the history, the details read on
// demand, the presets that follow the power source, and the notifications.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <algorithm>

#include "fan_model_fixture.h"

namespace ventoria::app {
namespace {

class FanModelFeaturesTest : public test::FanModelFixture {};

// Each poll adds what it read, in its place: the chip and the case are far apart on the
// virtual Mac, so a crossed wire shows.
TEST_F(FanModelFeaturesTest, EveryPollRecordsWhatItRead) {
    advance(300);
    auto& m = start(false);
    EXPECT_EQ(m.history().capacity(), 900u);
    m.poll();
    m.poll();
    auto samples = m.history().samples();
    ASSERT_EQ(samples.size(), 3u);  // the first poll, at start, and two more
    EXPECT_EQ(samples.back().chip, m.temps().chip);
    EXPECT_EQ(samples.back().chassis, m.temps().chassis);
    EXPECT_NE(samples.back().chip, samples.back().chassis);
    EXPECT_DOUBLE_EQ(samples.back().level, m.level());
    EXPECT_LE(samples.front().at, samples.back().at);
}

// The targets and the sensor list cost an SMC call each: they are read only while the Details
// window is shown, and a poll without it costs what it did before.
TEST_F(FanModelFeaturesTest, DetailsAreReadOnlyWhileShown) {
    auto& m = start(false);
    m.poll();
    mac->resetCounters();
    m.poll();
    auto plain = totalCalls();
    EXPECT_TRUE(m.details().fans.empty());

    QSignalSpy changed(&m, &FanModel::detailsChanged);
    m.setDetailsShown(true);
    EXPECT_EQ(changed.count(), 1);  // at once, not a poll later
    const auto& details = m.details();
    ASSERT_EQ(details.fans.size(), 2u);
    EXPECT_EQ(details.fans[0].reading, m.fans()[0]);
    EXPECT_EQ(details.fans[1].target, machine().fans[1].target);
    EXPECT_GT(details.sensors.size(), 20u);
    mac->resetCounters();
    m.poll();
    EXPECT_GT(totalCalls(), plain + details.sensors.size());

    m.setDetailsShown(false);
    mac->resetCounters();
    m.poll();
    EXPECT_EQ(totalCalls(), plain);
}

TEST_F(FanModelFeaturesTest, AChangeOfPowerSourceChoosesThePresetSetForIt) {
    installable();
    auto& m = start();
    m.select(Preset::balanced);
    waitUntilApplied();
    m.settings().setPowerPreset(PowerSource::battery, Preset::max);
    m.settings().setPowerPreset(PowerSource::charger, Preset::automatic);
    EXPECT_EQ(m.powerSource(), PowerSource::charger);

    QSignalSpy power(&m, &FanModel::powerSourceChanged);
    mac->setPowerSupply(sim::PowerSupply::battery);
    m.poll();
    EXPECT_EQ(power.count(), 1);
    EXPECT_EQ(m.powerSource(), PowerSource::battery);
    EXPECT_EQ(m.preset(), Preset::max);
    waitUntilApplied();
    EXPECT_EQ(lastFraction(), 1.0);
    EXPECT_EQ(stored("preset"), "max");

    m.poll();  // no change, no new choice
    EXPECT_EQ(power.count(), 1);
    mac->setPowerSupply(sim::PowerSupply::charger);
    m.poll();
    waitUntilApplied();
    EXPECT_EQ(m.preset(), Preset::automatic);
    EXPECT_TRUE(lastCommand<ipc::SetAuto>());

    m.settings().setPowerPreset(PowerSource::battery, std::nullopt);
    m.select(Preset::balanced);
    waitUntilApplied();
    mac->setPowerSupply(sim::PowerSupply::battery);
    m.poll();
    EXPECT_EQ(m.preset(), Preset::balanced);  // nothing set for the battery: the choice stands
}

// Launching on the battery is no change of power source: the first poll has nothing before it
// to differ from, so the battery's preset must not replace the one the user left chosen.
// The poll after an answer may itself choose (the power source changed while the request was
// out): the newer choice is then on its way, and the model must not call it applied.
TEST_F(FanModelFeaturesTest, AChoiceMadeByThePollAfterAnAnswerIsStillOnItsWay) {
    installable();
    auto& m = start();
    m.select(Preset::balanced);  // installs the helper
    waitUntilApplied();
    m.settings().setPowerPreset(PowerSource::battery, Preset::max);
    helper.answer.reset();  // commands now wait for the test to answer them
    // The command follows its version question on the event loop.
    auto nextCommand = [&] {
        while (helper.waiting.empty()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return std::get<ipc::SetFraction>(helper.waiting.front().message).fraction;
    };
    m.select(Preset::balanced);
    EXPECT_EQ(nextCommand(), 0.6);
    mac->setPowerSupply(sim::PowerSupply::battery);
    QSignalSpy applied(&m, &FanModel::applied);
    helper.take().reply(ipc::WireValue{});
    EXPECT_EQ(nextCommand(), 1.0);
    EXPECT_EQ(m.preset(), Preset::max);
    EXPECT_TRUE(m.applying());
    EXPECT_EQ(applied.count(), 0);
    helper.take().reply(ipc::WireValue{});
    ASSERT_TRUE(applied.wait(5000));
    EXPECT_EQ(applied.count(), 1);
    EXPECT_FALSE(m.applying());
}

TEST_F(FanModelFeaturesTest, StartingOnTheBatteryIsNoChangeOfPowerSource) {
    installable();
    {
        auto& before = start();
        before.settings().setPowerPreset(PowerSource::battery, Preset::max);
        before.select(Preset::balanced);
        waitUntilApplied();
    }
    model.reset();
    mac->setPowerSupply(sim::PowerSupply::battery);
    auto& m = start();  // its first poll is part of starting
    QSignalSpy power(&m, &FanModel::powerSourceChanged);
    m.poll();
    EXPECT_EQ(m.powerSource(), PowerSource::battery);
    EXPECT_EQ(power.count(), 0);
    EXPECT_EQ(m.preset(), Preset::balanced);
    EXPECT_EQ(stored("preset"), "balanced");
}

// Pulling the plug must never put an administrator prompt in front of the user.
TEST_F(FanModelFeaturesTest, APowerChangeNeverInstallsTheHelper) {
    installable();
    auto& m = start();
    m.settings().setPowerPreset(PowerSource::battery, Preset::max);
    mac->setPowerSupply(sim::PowerSupply::battery);
    m.poll();
    EXPECT_EQ(m.preset(), Preset::automatic);
    EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "install"), 0);
}

TEST_F(FanModelFeaturesTest, AHeadlessModelLeavesThePresetToItsCommand) {
    installable();
    auto& m = startWith(FanModel::Options::headless(), defaultsPath());
    m.settings().setPowerPreset(PowerSource::battery, Preset::max);
    mac->setPowerSupply(sim::PowerSupply::battery);
    m.poll();
    EXPECT_EQ(m.preset(), Preset::automatic);
    EXPECT_TRUE(helper.sent.empty());
}

// A fan forced for Max that stands still: one notification, naming the fan, and none when
// the user turned that kind off.
TEST_F(FanModelFeaturesTest, AForcedFanThatStandsStillIsReportedOnce) {
    installable();
    setValue("F0Md", 1);  // the helper here is scripted: the machine is told the fans are forced
    setValue("F1Md", 1);
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    setValue("F1Ac", 0);
    QSignalSpy alerted(&m, &FanModel::alerted);
    for (int poll = 0; poll < 6; ++poll) m.poll();
    ASSERT_EQ(alerted.count(), 1);
    EXPECT_EQ(alerted[0][0].value<AlertKind>(), AlertKind::stuckFan);
    EXPECT_EQ(alerted[0][1].toString(), "Fan 2 is not turning");
}

TEST_F(FanModelFeaturesTest, NotificationsTheUserTurnedOffStayQuiet) {
    installable();
    setValue("F0Md", 1);
    setValue("F1Md", 1);
    auto& m = start();
    m.settings().setNotifies(AlertKind::stuckFan, false);
    m.select(Preset::max);
    waitUntilApplied();
    setValue("F1Ac", 0);
    QSignalSpy alerted(&m, &FanModel::alerted);
    for (int poll = 0; poll < 6; ++poll) m.poll();
    EXPECT_EQ(alerted.count(), 0);
}

TEST_F(FanModelFeaturesTest, AHelperThatWentAwayWhileAPresetNeedsItIsReported) {
    installable();
    auto& m = start();
    m.select(Preset::max);
    waitUntilApplied();
    QSignalSpy alerted(&m, &FanModel::alerted);
    helper.badProxy = true;
    helper.connections.back()->invalidate();
    QCoreApplication::processEvents();
    m.poll();
    ASSERT_EQ(alerted.count(), 1);
    EXPECT_EQ(alerted[0][0].value<AlertKind>(), AlertKind::helperUnreachable);
    helper.badProxy = false;
    retryTimer->elapse();
    waitUntilApplied();
    ASSERT_EQ(m.errorMessage(), std::nullopt);
    m.poll();
    EXPECT_EQ(alerted.count(), 1);
}

}  // namespace
}  // namespace ventoria::app
