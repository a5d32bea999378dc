// One application per user and system root, and a command line that starts nothing when it
// is only asked for help.

#include "single_instance.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <thread>

#include "process.h"
#include "temporary_root.h"

namespace ventoria::ui {
namespace {

TEST(SingleInstance, ALaterLaunchHandsItsArgumentsToTheRunningCopy) {
    test::TemporaryRoot root;
    auto name = SingleInstance::nameForThisUser();
    SingleInstance running(name);
    ASSERT_TRUE(running.serve());
    QSignalSpy activated(&running, &SingleInstance::activated);

    bool handedOver = false;
    std::thread later([&] {
        SingleInstance second(name);
        handedOver = second.handOver({"Ventoria", "--from-dock"});
    });
    ASSERT_TRUE(activated.wait(5000));
    later.join();
    EXPECT_TRUE(handedOver);
    EXPECT_EQ(activated.at(0).at(0).toStringList(), (QStringList{"Ventoria", "--from-dock"}));
}

TEST(SingleInstance, EachSystemRootHasItsOwnCopy) {
    QString first, second;
    {
        test::TemporaryRoot root;
        first = SingleInstance::nameForThisUser();
    }
    {
        test::TemporaryRoot root;
        second = SingleInstance::nameForThisUser();
    }
    EXPECT_NE(first, second);
    SingleInstance nobodyRunning(first);
    EXPECT_FALSE(nobodyRunning.handOver({}));
}

TEST(CommandLine, HelpAndVersionPrintAndStartNothing) {
    test::TemporaryRoot root;
    auto help = test::run({test::program("Ventoria"), "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--snapshot"), std::string::npos);
    auto version = test::run({test::program("Ventoria"), "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("Ventoria ", 0), 0u) << version.out;
    auto ctl = test::run({test::program("ventoriactl"), "--version"});
    EXPECT_EQ(ctl.status, 0);
    EXPECT_EQ(ctl.out.rfind("ventoriactl ", 0), 0u) << ctl.out;
    EXPECT_TRUE(std::filesystem::is_empty(root.path()));  // no virtual Mac was booted
}

}  // namespace
}  // namespace ventoria::ui
