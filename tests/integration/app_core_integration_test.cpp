// The application core against the real helper, installed through the real install script
// and the launchctl stand-in.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <fstream>

#include "await_task.h"
#include "installed_helper_test.h"
#include "protocol_version.h"
#include "ventoria/app/fan_model.h"
#include "ventoria/app/helper_client.h"
#include "ventoria/app/user_defaults.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

using test::eventually;

class AppCoreIntegrationTest : public test::InstalledHelperTest {
  protected:
    std::unique_ptr<HelperClient> client(const std::filesystem::path& bundle) {
        return std::make_unique<HelperClient>(localSocketConnector(),
                                              platformInstaller(Bundle(bundle)));
    }
    // The client of another build, which installs the helper it was built with.
    std::unique_ptr<HelperClient> staleClient(const std::filesystem::path& bundle) {
        InstallDigests digests{fileDigest(bundle / "VentoriaHelper").value_or(""),
                               builtDigests().jobs};
        return std::make_unique<HelperClient>(localSocketConnector(),
                                              platformInstaller(Bundle(bundle), digests));
    }
    QString ensureInstalled(HelperClient& helper) {
        auto task = helper.ensureInstalled();
        try {
            test::awaitTask(task);
        } catch (const HelperError& error) {
            return error.description();
        }
        return {};
    }
};

TEST_F(AppCoreIntegrationTest, TheFirstFixedChoiceInstallsTheHelperAndQuittingHandsBack) {
    FanModel model(machineParts(client(test::binDirectory()), userPreferences()), {});
    QSignalSpy applied(&model, &FanModel::applied);
    model.select(Preset::max);
    ASSERT_TRUE(applied.wait(20'000));
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(platform::systemPath(kHelperPlistPath)));
    EXPECT_TRUE(std::filesystem::exists(platform::systemPath(kHelperToolPath)));
    ASSERT_TRUE(eventually([&] { return forced(); }));
    EXPECT_EQ(machine().fans[1].target, 6200);

    auto quit = model.handBackWithin(std::chrono::seconds(5));
    test::awaitTask(quit);
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

// The helper is stopped under a fixed choice (launchd stops it, it crashes): the interface
// stops claiming the choice, and once a helper answers again the choice is in force again.
TEST_F(AppCoreIntegrationTest, AChoiceOutlivesTheHelperGoingAwayAndComingBack) {
    FanModel model(machineParts(client(test::binDirectory()), userPreferences()), {});
    QSignalSpy applied(&model, &FanModel::applied);
    model.select(Preset::max);
    ASSERT_TRUE(applied.wait(20'000));
    ASSERT_TRUE(eventually([&] { return forced(); }));

    auto launchctl = platform::systemPath("/bin/launchctl").string();
    test::run({launchctl, "bootout", std::string("system/") + kHelperLabel});
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
    // A poll that comes before the connection's end is read may first name a fan that is no
    // longer forced; the lost connection is what the line says once it is known.
    EXPECT_TRUE(eventually(
        [&] {
            QCoreApplication::processEvents();
            return model.errorMessage() && model.errorMessage()->endsWith("(trying again)");
        },
        std::chrono::seconds(5)))
        << model.errorMessage().value_or("(no error)").toStdString();
    EXPECT_EQ(model.preset(), Preset::max);

    auto restarted = test::run(
        {launchctl, "bootstrap", "system", platform::systemPath(kHelperPlistPath).string()});
    ASSERT_EQ(restarted.status, 0) << restarted.err;
    EXPECT_TRUE(eventually(
        [&] {
            QCoreApplication::processEvents();
            return !model.errorMessage() && forced();
        },
        std::chrono::seconds(20)));
    auto quit = model.handBackWithin(std::chrono::seconds(5));
    test::awaitTask(quit);
}

// The application holds Balanced while `ventoriactl select max` runs beside it: the command's
// choice is in force while it runs, and when it ends the application's applies again, without
// the application having to send it again or saying anything is wrong.
TEST_F(AppCoreIntegrationTest, AnotherClientsChoiceLastsOnlyWhileItRuns) {
    FanModel model(machineParts(client(test::binDirectory()), userPreferences()), {});
    QSignalSpy applied(&model, &FanModel::applied);
    model.select(Preset::balanced);
    ASSERT_TRUE(applied.wait(20'000));
    const double balanced = 0.6 * 5700;
    ASSERT_TRUE(eventually([&] { return forced() && machine().fans[0].target == balanced; }));

    test::BackgroundProcess cli({test::program("ventoriactl"), "select", "max", "--hold", "2"});
    EXPECT_TRUE(eventually([&] { return machine().fans[0].target == 5700; }));
    EXPECT_EQ(cli.wait().status, 0);
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        return forced() && machine().fans[0].target == balanced;
    }));
    EXPECT_EQ(model.preset(), Preset::balanced);
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    auto quit = model.handBackWithin(std::chrono::seconds(5));
    test::awaitTask(quit);
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

// The user's own programs can write to the bundle: a property list that names a program of
// theirs would have launchd run it as root. It is refused before anything is installed.
TEST_F(AppCoreIntegrationTest, ABundleWhosePropertyListWasChangedInstallsNothing) {
    auto bundle = root.path() / "bundle-changed";
    std::filesystem::create_directories(bundle);
    for (const char* file : {"VentoriaHelper", "launchctl"}) {
        std::filesystem::create_symlink(test::binDirectory() / file, bundle / file);
    }
    std::ifstream built(test::binDirectory() / "io.kestrand.ventoria.helper.plist");
    std::string plist{std::istreambuf_iterator<char>(built), {}};
    plist.replace(plist.find("/Library/PrivilegedHelperTools"), 0, root.path().string() + "/own");
    std::ofstream(bundle / "io.kestrand.ventoria.helper.plist") << plist;
    auto helper = client(bundle);
    EXPECT_EQ(ensureInstalled(*helper),
              "Helper install failed: helper's property list in app bundle has been modified");
    EXPECT_FALSE(std::filesystem::exists(platform::systemPath(kHelperPlistPath)));
    EXPECT_FALSE(std::filesystem::exists(platform::systemPath(kHelperToolPath)));
}

TEST_F(AppCoreIntegrationTest, AHelperThatStillAnswersAnotherVersionIsReportedOnce) {
    auto stale = staleClient(bundleWithHelperOfVersion("2"));
    EXPECT_EQ(ensureInstalled(*stale), "Helper unavailable: version mismatch");
}

TEST_F(AppCoreIntegrationTest, AHelperOfAnotherVersionIsReplaced) {
    auto stale = staleClient(bundleWithHelperOfVersion("2"));
    ensureInstalled(*stale);
    auto current = client(test::binDirectory());
    EXPECT_EQ(ensureInstalled(*current), "");
    auto version = current->version();
    EXPECT_EQ(test::awaitTask(version), test::kProtocolVersion);
}

}  // namespace
}  // namespace ventoria::app
