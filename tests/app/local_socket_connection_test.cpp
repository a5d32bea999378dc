// The application's connection to the helper, over a real local socket to a helper that takes
// requests and never answers. Its clock and its timer are the test's, so the bound on an
// unanswered request is checked at its exact value.

#include <gtest/gtest.h>

#include <QLocalServer>
#include <QSignalSpy>
#include <filesystem>
#include <vector>

#include "manual_pause.h"
#include "temporary_root.h"
#include "ventoria/app/helper_connection.h"
#include "ventoria/ipc/messages.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::app {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(LocalSocketConnectionTest, AHelperThatNeverAnswersIsTakenForStuckAtTheBound) {
    test::TemporaryRoot root;
    auto path = ipc::socketPath();
    std::filesystem::create_directories(path.parent_path());
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(QString::fromStdString(path.string())));

    Clock::time_point now{};
    test::ManualPause pause;
    auto connector =
        localSocketConnector({.now = [&] { return now; }, .timer = [&] { return pause.handle(); }});
    bool invalidated = false;
    auto connection = connector->connect([&] { invalidated = true; });
    std::vector<QString> failures;
    auto fail = [&](ConnectionFailure failure) { failures.push_back(failure.description); };
    auto never = [](ipc::ReplyContent) { ADD_FAILURE() << "the silent helper answered"; };

    ASSERT_TRUE(connection->send(ipc::SmartStatus{}, never, fail));
    QSignalSpy accepted(&silent, &QLocalServer::newConnection);
    ASSERT_TRUE(accepted.wait(5000));
    now += 4s;
    ASSERT_TRUE(connection->send(ipc::Version{}, never, fail));
    // Each request is owed its whole bound; the timer wakes at the earliest still out.
    EXPECT_EQ(pause.started, (std::vector<std::chrono::milliseconds>{10s, 6s}));

    now = Clock::time_point{} + 10s - 1ms;
    pause.elapse();
    EXPECT_TRUE(failures.empty()) << "taken for stuck before its time";
    EXPECT_EQ(pause.started.back(), 1ms);
    now += 1ms;
    pause.elapse();
    EXPECT_EQ(failures,
              (std::vector<QString>(2, QStringLiteral("The helper did not answer in time."))));
    EXPECT_TRUE(invalidated);
    EXPECT_FALSE(pause.pending());
}

}  // namespace
}  // namespace ventoria::app
