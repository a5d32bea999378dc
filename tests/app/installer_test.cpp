#include "ventoria/app/installer.h"

#include <gtest/gtest.h>

#include <fstream>

#include "install_fixtures.h"
#include "ventoria/app/code_signature.h"
#include "ventoria/app/helper_error.h"
#include "ventoria/app/script_error.h"

namespace ventoria::app {
namespace {

using namespace test_support;

// What AppleScript makes of a string literal's content.
std::string readAppleScriptLiteral(std::string_view literal) {
    std::string text;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] == '\\' && i + 1 < literal.size()) ++i;
        text += literal[i];
    }
    return text;
}

TEST(ShellQuoting, EveryPathIsOneShellWord) {
    EXPECT_EQ(shellQuoted("/Applications/Ventoria.app"), "'/Applications/Ventoria.app'");
    EXPECT_EQ(shellQuoted("/Users/Jo's Mac/Ventoria.app"), R"('/Users/Jo'\''s Mac/Ventoria.app')");
    EXPECT_EQ(shellQuoted(""), "''");
}

TEST(InstallScript, TheMacScriptIsExactlyTheseCommands) {
    auto script = installScript(
        macProfile(), "/Applications/Ventoria.app/Contents/MacOS/VentoriaHelper",
        {"/Applications/Ventoria.app/Contents/Resources/io.kestrand.ventoria.helper.plist"},
        kDigests);
    EXPECT_EQ(
        script,
        "/bin/launchctl bootout system/io.kestrand.ventoria.helper 2>/dev/null; "
        "/bin/mkdir -p '/Library/PrivilegedHelperTools'; "
        "place() { /bin/cp \"$1\" \"$2.new\" && /usr/sbin/chown root:wheel \"$2.new\" && "
        "/bin/chmod \"$3\" \"$2.new\" && { [ \"$(/usr/bin/shasum -a 256 < \"$2.new\")\" = \"$4  "
        "-\" ] "
        "|| { echo \"$1 changed while it was being installed\" >&2; false; }; } && "
        "/bin/mv -f \"$2.new\" \"$2\" || { /bin/rm -f \"$2.new\"; exit 1; }; }; "
        "place '/Applications/Ventoria.app/Contents/MacOS/VentoriaHelper' "
        "'/Library/PrivilegedHelperTools/io.kestrand.ventoria.helper' 755 aaaa; "
        "place '/Applications/Ventoria.app/Contents/Resources/io.kestrand.ventoria.helper.plist' "
        "'/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist' 644 bbbb; "
        "for i in 1 2 3 4 5; do /bin/launchctl bootstrap system "
        "'/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist' && exit 0; sleep 1; done; exit "
        "1");
}

TEST(InstallScript, AwkwardBundlePathsSurviveTheShellAndAppleScript) {
    std::string bundle = R"(/Users/jo/Apps "Fan" \ Jo's/Ventoria.app)";
    auto script =
        installScript(macProfile(), bundle + "/Contents/MacOS/VentoriaHelper",
                      {bundle + "/Contents/Resources/io.kestrand.ventoria.helper.plist"}, kDigests);
    EXPECT_NE(
        script.find(
            R"(place '/Users/jo/Apps "Fan" \ Jo'\''s/Ventoria.app/Contents/MacOS/VentoriaHelper' )"),
        std::string::npos);
    auto source = appleScriptSource(script);
    EXPECT_TRUE(source.starts_with("do shell script \"/bin/launchctl bootout"));
    EXPECT_TRUE(source.ends_with("exit 1\" with administrator privileges"));
    EXPECT_NE(source.find(R"(Apps \"Fan\" \\ Jo'\\''s)"), std::string::npos);
    EXPECT_EQ(readAppleScriptLiteral(appleScriptEscaped(script)), script);
}

// The installed files are replaced by renaming, never written over: a running helper keeps
// its own file (and, on a Mac, its valid signature) until launchd starts the new one.
TEST_F(InstallScriptRun, EachFileTakesItsPlaceByRenaming) {
    write(tool(), "old helper\n");
    std::filesystem::create_hard_link(tool(), dir("running"));
    auto result = install("/bin/cp");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read(tool()), "new helper\n");
    EXPECT_EQ(read(plist()), "new plist\n");
    EXPECT_EQ(read(dir("running")), "old helper\n");  // the old file was not written to
    auto mode = std::filesystem::status(tool()).permissions() & std::filesystem::perms::all;
    EXPECT_EQ(mode, std::filesystem::perms(0755));
    EXPECT_FALSE(leftovers());
}

// A full disk mid-copy: the old helper stays, whole, and nothing half-copied is left.
TEST_F(InstallScriptRun, ACopyThatFailsLeavesTheOldFilesAndSaysWhy) {
    write(tool(), "old helper\n");
    write(plist(), "old plist\n");
    auto result = install(stub(": > \"$2\"; echo \"cp: $2: No space left on device\" >&2; exit 1"));
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.ends_with("No space left on device\n")) << result.err;
    EXPECT_EQ(read(tool()), "old helper\n");
    EXPECT_EQ(read(plist()), "old plist\n");
    EXPECT_FALSE(leftovers());
}

// A program of the user's that changes a bundle file after the check before the prompt (the
// user takes a while to answer) changes what root would copy: the copy is checked again.
TEST_F(InstallScriptRun, AFileChangedAfterTheCheckIsRefusedAsRoot) {
    auto result =
        install(stub("/bin/cp \"$1\" \"$2\" && echo '<string>/tmp/own</string>' >> \"$2\""));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("changed while it was being installed"), std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(tool()));
    EXPECT_FALSE(std::filesystem::exists(plist()));
    EXPECT_FALSE(leftovers());
}

TEST(AppleScript, BackslashesAreDoubledBeforeQuotesAreEscaped) {
    EXPECT_EQ(appleScriptEscaped(R"(a\b"c)"), R"(a\\b\"c)");
    EXPECT_EQ(appleScriptEscaped(R"(\")"), R"(\\\")");
    EXPECT_EQ(appleScriptSource("echo hi"),
              R"(do shell script "echo hi" with administrator privileges)");
}

TEST_F(ScriptInstallerTest, AnIncompleteBundleRunsNothing) {
    bundleHolds("io.kestrand.ventoria.helper.plist", false);
    EXPECT_EQ(install(std::nullopt), "Helper install failed: helper missing from app bundle");
    bundleHolds("VentoriaHelper", false);  // there, but not a program
    EXPECT_EQ(install(std::nullopt), "Helper install failed: helper missing from app bundle");
    EXPECT_TRUE(ran.empty());
}

TEST_F(ScriptInstallerTest, TheBundlesFilesGoIntoTheScriptAndFailuresAreReported) {
    bundleHolds("VentoriaHelper", true);
    bundleHolds("io.kestrand.ventoria.helper.plist", false);
    EXPECT_EQ(install(std::nullopt), "");
    EXPECT_NE(ran.find(shellQuoted((root.path() / "VentoriaHelper").string())), std::string::npos);
    EXPECT_EQ(install("User canceled."), "Helper install failed: User canceled.");
    EXPECT_EQ(install("cancelled"), "Helper install failed: cancelled");
}

// A program running as the user may rewrite the bundle: a changed helper, or a property list
// naming a program of its own, would run as root. Neither gets as far as the prompt.
TEST_F(ScriptInstallerTest, OnlyTheJobTheApplicationWasBuiltWithIsHandedToRoot) {
    bundleHolds("VentoriaHelper", true);
    bundleHolds("io.kestrand.ventoria.helper.plist", false);
    std::ofstream(root.path() / "VentoriaHelper", std::ios::app) << "echo owned\n";
    EXPECT_EQ(install(std::nullopt),
              "Helper install failed: helper in app bundle has been modified");
    bundleHolds("VentoriaHelper", true);
    std::ofstream(root.path() / "io.kestrand.ventoria.helper.plist", std::ios::app)
        << "<key>Program</key><string>/tmp/own</string>\n";
    EXPECT_EQ(install(std::nullopt),
              "Helper install failed: helper's property list in app bundle has been modified");
    EXPECT_TRUE(ran.empty());  // no prompt for a job we would not install
}

// The errors AppleScript reports for "do shell script … with administrator privileges", as
// osascript prints them ("0:185: execution error: MESSAGE (NUMBER)").
TEST(ScriptErrorTest, TheUserReadsTheSystemsWordsOrCancelled) {
    EXPECT_EQ(scriptErrorText({-128, "User canceled."}), "cancelled");
    EXPECT_EQ(scriptErrorText({-128, ""}), "cancelled");
    EXPECT_EQ(scriptErrorText({-60005, "The administrator user name or password was incorrect."}),
              "The administrator user name or password was incorrect.");
    // A failing command of the script: its own output, with the shell's status as the number.
    EXPECT_EQ(scriptErrorText({1, "Bootstrap failed: 5: Input/output error\n"}),
              "Bootstrap failed: 5: Input/output error");
    EXPECT_EQ(scriptErrorText({-1743, "  "}), "AppleScript error -1743");
    EXPECT_EQ(scriptErrorText({std::nullopt, ""}), "AppleScript error");
}

TEST(TeamTest, ASignedApplicationInstallsOnlyItsOwnTeamsHelper) {
    EXPECT_EQ(teamRefusal(std::nullopt, std::nullopt), std::nullopt);  // ad hoc: digest only
    EXPECT_EQ(teamRefusal(std::nullopt, "ABCDE12345"), std::nullopt);
    EXPECT_EQ(teamRefusal("ABCDE12345", "ABCDE12345"), std::nullopt);
    EXPECT_EQ(teamRefusal("ABCDE12345", "ZZZZZ99999"),
              "helper in app bundle is signed by another team");
    EXPECT_EQ(teamRefusal("ABCDE12345", std::nullopt),
              "helper in app bundle is not signed by the application's team");
}

TEST(HelperDigestTest, TheBuiltDigestsAreTheHelpersAndItsJobFilesSHA256) {
    EXPECT_EQ(fileDigest(test::binDirectory() / "no-such-file"), std::nullopt);
    // The system's own tool: coreutils on Linux, Perl's shasum on a Mac.
    auto sha256 = [](const std::filesystem::path& file) {
        auto sum = std::filesystem::exists("/usr/bin/sha256sum")
                       ? test::run({"/usr/bin/sha256sum", file.string()})
                       : test::run({"/usr/bin/shasum", "-a", "256", file.string()});
        EXPECT_EQ(sum.status, 0);
        return sum.out.substr(0, 64);
    };
    auto helper = test::binDirectory() / "VentoriaHelper";
    EXPECT_EQ(fileDigest(helper), sha256(helper));
    EXPECT_EQ(builtDigests().helper, sha256(helper));
    // Each job file the bundle holds: launchd's, and on Linux systemd's two units.
    auto built = builtDigests().jobs;
    EXPECT_TRUE(built.contains(kPlist));
    for (const auto& [name, digest] : built) {
        EXPECT_EQ(digest, sha256(test::binDirectory() / name)) << name;
    }
}

}  // namespace
}  // namespace ventoria::app
