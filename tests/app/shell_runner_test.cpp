// The Linux install's runner against stand-ins for pkexec on PATH, which behave as pkexec does:
// the program it runs as root decides the status, except when pkexec itself gives up.

#include "ventoria/app/shell_runner.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <fstream>

#include "temporary_root.h"

namespace ventoria::app {
namespace {

class ShellRunnerTest : public ::testing::Test {
  protected:
    ShellRunnerTest() : path_(qgetenv("PATH")) { qputenv("PATH", root.path().c_str()); }
    ~ShellRunnerTest() override { qputenv("PATH", path_); }

    // A pkexec on PATH that does `body`; "$@" is what it was asked to run.
    void pkexec(const std::string& body) {
        auto path = root.path() / "pkexec";
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }

    test::TemporaryRoot root;

  private:
    QByteArray path_;
};

TEST_F(ShellRunnerTest, TheScriptRunsAsPkexecsProgramAndItsOwnFailuresKeepTheirWords) {
    pkexec(R"(exec "$@")");
    auto runner = shellRunner(true);
    EXPECT_EQ(runner->run("true"), std::nullopt);
    EXPECT_EQ(runner->run("echo 'cp: No space left on device' >&2; exit 1"),
              "cp: No space left on device");
    // A missing tool is the shell's 127, which is pkexec's "not authorised" too: the script's
    // words must win, not a refusal that never happened.
    auto missing = runner->run("/usr/bin/no-such-systemctl daemon-reload");
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->find("no-such-systemctl"), std::string::npos) << *missing;
    EXPECT_EQ(runner->run("exit 126"), "the install script failed with status 1");
}

TEST_F(ShellRunnerTest, PkexecsOwnRefusalsAreToldApart) {
    auto runner = shellRunner(true);
    pkexec("exit 126");
    EXPECT_EQ(runner->run("true"), "cancelled");
    pkexec(R"(echo 'Error executing command as another user: No authentication agent found.' >&2
exit 127)");
    EXPECT_EQ(runner->run("true"),
              "Error executing command as another user: No authentication agent found.");
    pkexec(
        R"(printf 'Error executing command as another user: Not authorized\n\nThis incident has been reported.\n' >&2
exit 127)");
    EXPECT_EQ(runner->run("true"), "Error executing command as another user: Not authorized");
    pkexec(
        R"(echo 'Error checking for authorization org.freedesktop.policykit.exec: GDBus.Error:org.freedesktop.DBus.Error.ServiceUnknown: The name org.freedesktop.PolicyKit1 was not provided by any .service files' >&2
exit 127)");
    EXPECT_EQ(runner->run("true"),
              "polkit is not running: install it (sudo apt install polkitd) or the Ventoria "
              "package");
    std::filesystem::remove(root.path() / "pkexec");
    EXPECT_EQ(runner->run("true"),
              "pkexec is not installed: install it (sudo apt install pkexec) or the Ventoria "
              "package");
}

// Without elevation the script runs as the user, after what has to come first.
TEST_F(ShellRunnerTest, UnelevatedTheScriptRunsAfterItsPreparation) {
    auto marker = root.path() / "prepared";
    auto runner = shellRunner(false, [&] { std::ofstream(marker) << "yes"; });
    EXPECT_EQ(runner->run("test -f '" + marker.string() + "'"), std::nullopt);
    EXPECT_EQ(runner->run("exit 127"), "the install script failed with status 127");
}

}  // namespace
}  // namespace ventoria::app
