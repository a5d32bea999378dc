// Who sits at the machine, on Linux: logind's word where the system root is the machine's own,
// the virtual Mac's console otherwise. logind keeps its seats as files under /run/systemd; each
// case runs in a child with a private mount namespace and a /run of its own, so the machine's
// sessions are neither read nor touched.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "case_name.h"
#include "temporary_root.h"
#include "ventoria/platform/peer_identity.h"

namespace ventoria::platform {
namespace {

constexpr int kNoNamespace = 77;

// Runs `check` in a child with an empty /run; its exit status: 0 when it held.
int inPrivateRun(const std::function<bool()>& check) {
    pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", "/run", "tmpfs", 0, "mode=0755") != 0) {
            _exit(kNoNamespace);
        }
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// logind's record of seat0, as it writes it.
void writeSeat(const std::string& contents) {
    std::filesystem::create_directories("/run/systemd/seats");
    std::ofstream("/run/systemd/seats/seat0") << contents;
}

uid_t ownerOfRealConsole() {
    struct stat info {};
    return ::stat("/dev/console", &info) == 0 ? info.st_uid : 0;
}

struct Case {
    const char* name;
    const char* seat;  // nothing: logind keeps no seats (not running, or no seat0)
    bool machineRoot;  // the system root is "/", not a virtual Mac's
    std::function<std::optional<uid_t>()> expected;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class ConsoleUserTest : public ::testing::TestWithParam<Case> {};

TEST_P(ConsoleUserTest, IsWhoLogindOrTheConsoleSays) {
    test::TemporaryRoot virtualMac;
    std::filesystem::create_directories(virtualMac.path() / "dev");
    std::ofstream(virtualMac.path() / "dev" / "console");  // owned by us, as the sim makes it
    const auto& c = GetParam();
    int status = inPrivateRun([&] {
        if (c.seat) writeSeat(c.seat);
        setenv("VENTORIA_SYSROOT", c.machineRoot ? "/" : virtualMac.path().c_str(), 1);
        return consoleUser() == c.expected();
    });
    if (status == kNoNamespace) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(status, 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    EachSeat, ConsoleUserTest,
    ::testing::Values(
        Case{"the active session's user", "ACTIVE=c2\nACTIVE_UID=1234\nSESSIONS=c1 c2\n", true,
             [] { return std::optional<uid_t>(1234); }},
        // Nobody active on the seat (a greeter gone, every session switched away): the
        // console's owner, root, not whoever was active last.
        Case{"a seat with no active session", "SESSIONS=c1\n", true,
             [] { return std::optional<uid_t>(ownerOfRealConsole()); }},
        Case{"no seats kept", nullptr, true,
             [] { return std::optional<uid_t>(ownerOfRealConsole()); }},
        // The virtual Mac's console, whatever logind says of the machine the tests run on.
        Case{"a virtual Mac", "ACTIVE=c2\nACTIVE_UID=1234\n", false,
             [] { return std::optional<uid_t>(geteuid()); }}),
    test::CaseName());

}  // namespace
}  // namespace ventoria::platform
