#pragma once
// A fan model on the test's own virtual Mac, talking to a scripted helper, with its user
// defaults in a file of the test's own.

#include <QCoreApplication>
#include <QSettings>
#include <QSignalSpy>
#include <algorithm>
#include <memory>

#include "fake_helper_connection.h"
#include "manual_pause.h"
#include "protocol_version.h"
#include "ventoria/app/fan_model.h"
#include "ventoria/app/helper_client.h"
#include "ventoria/app/user_preferences.h"
#include "ventoria/platform/power_supply.h"
#include "virtual_mac_test.h"

namespace ventoria::test {

class FanModelFixture : public VirtualMacTest {
  protected:
    explicit FanModelFixture(sim::Profile profile = sim::Profile::appleSilicon)
        : VirtualMacTest(profile) {}
    explicit FanModelFixture(sim::KernelDriver driver) : VirtualMacTest(driver) {}

    // Requests left unanswered end, so no coroutine is left suspended.
    void TearDown() override { helper.endWaiting(); }

    QString defaultsPath() const {
        return QString::fromStdString((root.path() / "defaults.ini").string());
    }
    void store(const QString& key, const QVariant& value) {
        QSettings(defaultsPath(), QSettings::IniFormat).setValue(key, value);
    }
    QVariant stored(const QString& key) {
        return QSettings(defaultsPath(), QSettings::IniFormat).value(key);
    }
    static std::unique_ptr<app::UserPreferences> preferencesAt(const QString& file) {
        return std::make_unique<app::UserPreferences>(
            [file] { return std::make_unique<QSettings>(file, QSettings::IniFormat); });
    }
    app::FanModel& start(bool reapply = true) {
        return startWith({.reapplyAtStart = reapply}, defaultsPath());
    }
    app::FanModel& startWith(app::FanModel::Options options, const QString& defaultsFile) {
        auto client = std::make_unique<app::HelperClient>(helper.connector(), helper.installer());
        auto timer = std::make_unique<ManualPause>();
        retryTimer = timer.get();
        model = std::make_unique<app::FanModel>(
            app::FanModel::Parts{
                .store = std::make_unique<app::PresetStore>(preferencesAt(defaultsFile)),
                .sender = std::make_unique<app::ChoiceSender>(std::move(client), std::move(timer),
                                                              &app::helperInstalled),
                .hardware = app::HardwarePoller::opened(),
                .power = app::PowerWatch(&platform::onBattery)},
            options);
        return *model;
    }
    // Runs the event loop until the newest choice has been dealt with.
    void waitUntilApplied() {
        if (!model->applying()) return;
        QSignalSpy applied(model.get(), &app::FanModel::applied);
        ASSERT_TRUE(applied.wait(5000));
    }
    // The newest command the helper was sent (Smart is followed by status questions), when
    // it is an `M`.
    template <typename M>
    std::optional<M> lastCommand() const {
        auto command = std::find_if(helper.sent.rbegin(), helper.sent.rend(),
                                    [](const auto& sent) { return ipc::isCommand(sent); });
        if (command == helper.sent.rend() || !std::holds_alternative<M>(*command)) return {};
        return std::get<M>(*command);
    }
    std::optional<double> lastFraction() const {
        auto command = lastCommand<ipc::SetFraction>();
        return command ? std::optional(command->fraction) : std::nullopt;
    }
    // The helper installs, answers the version and accepts every request.
    void installable() {
        helper.version = test::kProtocolVersion;
        helper.answer = std::optional<std::string>();
        helper.onInstall = [] { placeHelperPlist(); };
    }

    FakeHelper helper;
    std::unique_ptr<app::FanModel> model;
    // The model's retry timer: a retry happens only when the test lets its pause pass.
    ManualPause* retryTimer = nullptr;
};

}  // namespace ventoria::test
