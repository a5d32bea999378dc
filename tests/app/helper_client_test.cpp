#include "ventoria/app/helper_client.h"

#include <gtest/gtest.h>

#include <QCoroTask>
#include <filesystem>

#include "await_task.h"
#include "fake_helper_connection.h"
#include "manual_pause.h"
#include "protocol_version.h"
#include "temporary_root.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

using test::FakeHelper;
using Events = std::vector<std::string>;

// What a finished task threw, in the words the user would read.
template <typename Task>
QString failure(Task& task) {
    try {
        test::awaitTask(task);
    } catch (const HelperError& error) {
        return error.description();
    } catch (const Cancelled&) {
        return QStringLiteral("(cancelled)");
    }
    return QStringLiteral("(no error)");
}

class HelperClientTest : public ::testing::Test {
  protected:
    // Requests left unanswered end, so no coroutine is left suspended.
    void TearDown() override { helper.endWaiting(); }

    test::TemporaryRoot root;
    FakeHelper helper;
    HelperClient client{helper.connector(), helper.installer()};
};

TEST_F(HelperClientTest, AReplyThatArrivesFirstStandsAgainstALateError) {
    auto task = client.setFraction(0.5);
    ASSERT_EQ(helper.waiting.size(), 1u);
    EXPECT_EQ(std::get<ipc::SetFraction>(helper.waiting[0].message).fraction, 0.5);
    auto sent = helper.take();
    sent.reply(ipc::WireValue{});
    sent.error(QStringLiteral("connection went away"));
    EXPECT_EQ(failure(task), "(no error)");
}

TEST_F(HelperClientTest, AnErrorThatArrivesFirstStandsAgainstALateReply) {
    auto task = client.setAuto();
    auto sent = helper.take();
    sent.error(QStringLiteral("connection went away"));
    sent.reply(ipc::WireValue{});
    EXPECT_EQ(failure(task), "Helper unavailable: connection went away");
}

TEST_F(HelperClientTest, RepliesMeanSuccessOrTheHelpersOwnWords) {
    helper.answer = std::optional<std::string>("x");
    auto refused = client.setFraction(1.0);
    EXPECT_EQ(failure(refused), "x");
    helper.answer = std::optional<std::string>();
    auto accepted = client.setSmart({30, smart::Aggressiveness::gentle});
    EXPECT_EQ(failure(accepted), "(no error)");
    EXPECT_EQ(helper.events, (Events{"connect", "setFraction:reply:", "setSmart:reply:"}));
}

TEST_F(HelperClientTest, SmartSettingsTravelAsTheirJson) {
    auto task = client.setSmart({30, smart::Aggressiveness::gentle});
    EXPECT_EQ(smart::decodeSmartSettings(
                  std::get<ipc::SetSmart>(helper.waiting.at(0).message).settings.data),
              (smart::SmartSettings{30, smart::Aggressiveness::gentle}));
}

TEST_F(HelperClientTest, TheSmartStatusIsDecodedOrAbsent) {
    helper.answer = std::optional<std::string>();
    auto none = client.smartStatus();
    EXPECT_EQ(test::awaitTask(none), std::nullopt);
    helper.answer = std::optional<std::string>(
        R"({"phase":"boost","driver":"chip","level":0.625,"cooldown":0})");
    auto boost = client.smartStatus();
    EXPECT_EQ(test::awaitTask(boost)->level, 0.625);
    helper.answer = std::optional<std::string>(R"({"phase":"warp"})");
    auto garbage = client.smartStatus();
    EXPECT_THROW(test::awaitTask(garbage), HelperError);
}

TEST_F(HelperClientTest, ANonConformingProxyIsABadProxy) {
    helper.badProxy = true;
    auto task = client.setAuto();
    EXPECT_EQ(failure(task), "Helper unavailable: bad proxy");
}

TEST_F(HelperClientTest, OneConnectionServesEveryRequestUntilItEnds) {
    helper.answer = std::optional<std::string>();
    auto first = client.setAuto();
    test::awaitTask(first);
    auto second = client.setFraction(0.2);
    test::awaitTask(second);
    EXPECT_EQ(helper.connections.size(), 1u);
    helper.connections[0]->invalidate();
    QCoreApplication::processEvents();  // the invalidation handler runs on the main loop
    auto third = client.setAuto();
    test::awaitTask(third);
    EXPECT_EQ(helper.connections.size(), 2u);
}

// launchd has only just started the helper when the script returns: the version request
// waits 300 ms after the install, and nothing is asked before.
TEST_F(HelperClientTest, WithoutAPropertyListTheHelperIsInstalledBeforeAnyVersionRequest) {
    test::ManualPause pause;
    HelperClient timed{helper.connector(), helper.installer(), [&] { return pause.handle(); }};
    helper.version = test::kProtocolVersion;
    helper.onInstall = [] { test::placeHelperPlist(); };
    auto task = timed.ensureInstalled();
    QCoreApplication::processEvents();
    EXPECT_EQ(helper.events, (Events{"install"}));
    EXPECT_EQ(pause.started,
              (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(300)}));
    pause.elapse();
    EXPECT_EQ(failure(task), "(no error)");
    EXPECT_EQ(helper.events, (Events{"install", "connect", "versionWithReply:"}));
}

// launchd returns before the helper listens: a helper that refuses the connections after its
// install is asked again after each pause of 300 ms, not installed again, and given up on at
// the 33rd refusal (ten seconds in all).
TEST_F(HelperClientTest,
       AFreshlyInstalledHelperIsAskedAfterEachPauseUntilItListensOrTenSecondsPass) {
    const QString refused = QStringLiteral("Couldn’t communicate with a helper application.");
    for (int refusals : {2, 32, 33}) {
        test::ManualPause pause;
        HelperClient timed{helper.connector(), helper.installer(), [&] { return pause.handle(); }};
        helper.events.clear();
        std::filesystem::remove(platform::systemPath(kHelperPlistPath));
        helper.onInstall = [] { test::placeHelperPlist(); };
        helper.version.reset();
        auto task = timed.ensureInstalled();
        // What a refusal sets off runs on the event loop: the next pause, or the end.
        auto settle = [&] {
            for (int round = 0; round < 100 && !pause.pending() && !task.isReady(); ++round) {
                QCoreApplication::processEvents();
            }
        };
        for (int refusal = 0; refusal < refusals; ++refusal) {
            settle();
            ASSERT_TRUE(pause.pending()) << "gave up after " << refusal << " refusals";
            pause.elapse();
            // The ask comes after its pause, on the event loop.
            while (helper.waiting.empty())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            helper.take().error(refused);
        }
        helper.version = test::kProtocolVersion;
        settle();
        if (refusals == 33) {
            ASSERT_TRUE(task.isReady()) << "still asking after 33 refusals";
            EXPECT_EQ(failure(task), "Helper unavailable: " + refused);
        } else {
            ASSERT_TRUE(pause.pending());
            pause.elapse();
            EXPECT_EQ(failure(task), "(no error)");
        }
        auto asked = std::min(refusals + 1, 33);
        EXPECT_EQ(pause.started, std::vector(asked, std::chrono::milliseconds(300))) << refusals;
        EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "versionWithReply:"),
                  asked);
        EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "install"), 1);
    }
}

TEST_F(HelperClientTest, AHelperOfThisVersionIsLeftAlone) {
    test::placeHelperPlist();
    helper.version = test::kProtocolVersion;
    auto task = client.ensureInstalled();
    EXPECT_EQ(failure(task), "(no error)");
    EXPECT_EQ(helper.events, (Events{"connect", "versionWithReply:"}));
}

TEST_F(HelperClientTest, AnotherVersionIsReplacedOnceOnANewConnection) {
    test::placeHelperPlist();
    helper.version = "2";
    // The connection the install ends on purpose is no lost helper.
    bool lost = false;
    client.connectionLost = [&lost] { lost = true; };
    helper.onInstall = [this] { helper.version = test::kProtocolVersion; };
    auto replaced = client.ensureInstalled();
    EXPECT_EQ(failure(replaced), "(no error)");
    EXPECT_EQ(helper.events,
              (Events{"connect", "versionWithReply:", "install", "connect", "versionWithReply:"}));
    EXPECT_TRUE(helper.connections[0]->ended);
    // The old connection's end, which arrives later on the event loop, is its own: the newer
    // connection stays.
    QCoreApplication::processEvents();
    helper.answer = std::optional<std::string>();
    auto next = client.setAuto();
    test::awaitTask(next);
    EXPECT_EQ(helper.connections.size(), 2u);
    EXPECT_FALSE(helper.connections[1]->ended);
    EXPECT_FALSE(lost);
}

TEST_F(HelperClientTest, ASecondMismatchIsReportedNotRetried) {
    test::placeHelperPlist();
    helper.version = "2";
    auto task = client.ensureInstalled();
    EXPECT_EQ(failure(task), "Helper unavailable: version mismatch");
    EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "install"), 1);
}

TEST_F(HelperClientTest, AnUnreachableHelperIsInstalledAgainAndAskedOnceMore) {
    test::placeHelperPlist();
    auto task = client.ensureInstalled();
    helper.take().error(QStringLiteral("Couldn’t communicate with a helper application."));
    helper.version = test::kProtocolVersion;
    EXPECT_EQ(failure(task), "(no error)");
    EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "install"), 1);
}

// A helper that took the connection and closed it is there: it turned this user away or made
// room for others. Installing again would only put an administrator prompt in front of the
// user, and change nothing.
TEST_F(HelperClientTest, AHelperThatClosedTheConnectionIsNotInstalledAgain) {
    test::placeHelperPlist();
    auto task = client.ensureInstalled();
    helper.take().error({QStringLiteral("closed"), false});
    EXPECT_EQ(failure(task), "Helper unavailable: closed");
    EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "install"), 0);
}

TEST_F(HelperClientTest, AFailedInstallationEndsIt) {
    helper.installFailure = "User canceled.";
    auto task = client.ensureInstalled();
    EXPECT_EQ(failure(task), "Helper install failed: User canceled.");
}

TEST_F(HelperClientTest, CancellingDuringTheWaitEndsItAtOnce) {
    helper.version = test::kProtocolVersion;
    auto token = std::make_shared<CancelToken>();
    auto task = client.ensureInstalled(token);
    token->cancel();
    EXPECT_EQ(failure(task), "(cancelled)");
    EXPECT_EQ(helper.events, (Events{"install"}));  // never asked the version
}

TEST(HelperErrors, DescriptionsAreWhatTheUserReads) {
    EXPECT_EQ(HelperError::unavailable("version mismatch").description(),
              "Helper unavailable: version mismatch");
    EXPECT_EQ(HelperError::failed("No fans detected").description(), "No fans detected");
    EXPECT_EQ(HelperError::installFailed("cancelled").description(),
              "Helper install failed: cancelled");
}

}  // namespace
}  // namespace ventoria::app
