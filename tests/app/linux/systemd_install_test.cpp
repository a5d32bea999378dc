// Installing the helper on a Linux machine without the package: systemd's job.

#include <gtest/gtest.h>

#include <fstream>

#include "../install_fixtures.h"
#include "process.h"

namespace ventoria::app {
namespace {

using namespace test_support;

// On a Linux machine without the package: the socket and service stopped first (which hands
// the fans back), the helper and both units placed as on a Mac, then enabled and started.
TEST(InstallScript, TheSystemdScriptIsExactlyTheseCommands) {
    auto script = installScript(
        systemdProfile(), "/opt/ventoria/bin/VentoriaHelper",
        {"/opt/ventoria/bin/ventoria-helper.service", "/opt/ventoria/bin/ventoria-helper.socket"},
        kDigests);
    EXPECT_EQ(script,
              "/usr/bin/systemctl stop ventoria-helper.socket ventoria-helper.service 2>/dev/null; "
              "/bin/mkdir -p '/usr/local/libexec/ventoria'; "
              "place() { /bin/cp \"$1\" \"$2.new\" && /bin/chown root:root \"$2.new\" && "
              "/bin/chmod \"$3\" \"$2.new\" && { [ \"$(/usr/bin/sha256sum < \"$2.new\")\" = \"$4  "
              "-\" ] "
              "|| { echo \"$1 changed while it was being installed\" >&2; false; }; } && "
              "/bin/mv -f \"$2.new\" \"$2\" || { /bin/rm -f \"$2.new\"; exit 1; }; }; "
              "place '/opt/ventoria/bin/VentoriaHelper' "
              "'/usr/local/libexec/ventoria/VentoriaHelper' 755 aaaa; "
              "place '/opt/ventoria/bin/ventoria-helper.service' "
              "'/etc/systemd/system/ventoria-helper.service' 644 cccc; "
              "place '/opt/ventoria/bin/ventoria-helper.socket' "
              "'/etc/systemd/system/ventoria-helper.socket' 644 dddd; "
              "/usr/bin/systemctl daemon-reload && /usr/bin/systemctl enable --now "
              "ventoria-helper.socket ventoria-helper.service");
}

// systemd's script, with a systemctl that logs what it is asked and which units are in place
// by then: the old job stopped before anything is copied, started only once both units are
// in place, and a start that fails fails the install with systemctl's words.
TEST_F(InstallScriptRun, SystemdsJobStopsBeforeTheCopyAndStartsAfterIt) {
    write(dir("bundle") / "ventoria-helper.service", "[Service]\n");
    write(dir("bundle") / "ventoria-helper.socket", "[Socket]\n");
    std::filesystem::create_directories(dir("system/units"));
    auto log = dir("systemctl.log").string();
    auto systemd = [&](const std::string& body) {
        auto systemctl = stub("echo \"$* |$(ls " + dir("system/units").string() +
                                  " | tr '\\n' ' ')\" >> " + log + "\n" + body,
                              "systemctl");
        auto profile = systemdProfile();
        auto tooled = tools("/bin/cp");
        profile.mkdir = tooled.mkdir;
        profile.chown = tooled.chown;
        profile.owner = tooled.owner;
        profile.toolsDir = tooled.toolsDir;
        profile.toolPath = tooled.toolPath;
        for (auto& job : profile.jobs) {
            job.destination = (dir("system/units") / job.name).string();
        }
        for (auto* command : {&profile.stop, &profile.start}) {
            for (auto at = command->find("/usr/bin/systemctl"); at != std::string::npos;
                 at = command->find("/usr/bin/systemctl")) {
                command->replace(at, std::string("/usr/bin/systemctl").size(), systemctl);
            }
        }
        return profile;
    };

    auto result = run(systemd(""));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read(log),
              "stop ventoria-helper.socket ventoria-helper.service |\n"
              "daemon-reload |ventoria-helper.service ventoria-helper.socket \n"
              "enable --now ventoria-helper.socket ventoria-helper.service "
              "|ventoria-helper.service ventoria-helper.socket \n");
    EXPECT_EQ(read(tool()), "new helper\n");
    EXPECT_EQ(read(dir("system/units/ventoria-helper.socket")), "[Socket]\n");

    result = run(systemd(
        R"(case "$1" in enable) echo "Failed to enable unit: Access denied" >&2; exit 1;; esac)"));
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.ends_with("Failed to enable unit: Access denied\n")) << result.err;
    EXPECT_FALSE(leftovers());
}

// systemd's job is two units: each is checked, and each named in what the user reads.
TEST_F(ScriptInstallerTest, EachOfSystemdsUnitsMustBeTheOneBuilt) {
    bundleHolds("VentoriaHelper", true);
    bundleHolds("ventoria-helper.service", false);
    EXPECT_EQ(install(std::nullopt, systemdProfile()),
              "Helper install failed: helper missing from app bundle");
    bundleHolds("ventoria-helper.socket", false);
    std::ofstream(root.path() / "ventoria-helper.socket", std::ios::app) << "SocketMode=0666\n";
    EXPECT_EQ(install(std::nullopt, systemdProfile()),
              "Helper install failed: helper's unit ventoria-helper.socket in app bundle has "
              "been modified");
    EXPECT_TRUE(ran.empty());
    bundleHolds("ventoria-helper.socket", false);
    EXPECT_EQ(install(std::nullopt, systemdProfile()), "");
    EXPECT_NE(ran.find(shellQuoted((root.path() / "ventoria-helper.socket").string()) +
                       " '/etc/systemd/system/ventoria-helper.socket' 644 " + kShellStubDigest),
              std::string::npos);
}

// The bundle's units name the helper where the application installs it.
TEST(SystemdUnitsTest, TheBundlesServiceRunsTheLocallyInstalledHelper) {
    EXPECT_TRUE(builtDigests().jobs.contains(kHelperServiceName));
    EXPECT_TRUE(builtDigests().jobs.contains(kHelperSocketName));
    std::ifstream service(test::binDirectory() / kHelperServiceName);
    std::string unit{std::istreambuf_iterator<char>(service), {}};
    EXPECT_NE(unit.find(std::string("\nExecStart=") + kLocalHelperPath + "\n"), std::string::npos);
    EXPECT_NE(unit.find(std::string("\nExecStopPost=") + kLocalHelperPath + " --hand-back\n"),
              std::string::npos);
}

}  // namespace
}  // namespace ventoria::app
