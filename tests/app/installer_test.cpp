#include "ventoria/app/installer.h"

#include <gtest/gtest.h>

#include <fstream>

#include "process.h"
#include "temporary_root.h"
#include "ventoria/app/code_signature.h"
#include "ventoria/app/helper_error.h"
#include "ventoria/app/script_error.h"

namespace ventoria::app {
namespace {

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

TEST(InstallScript, TheMacScriptIsExactlyTheFiveCommands) {
    auto script = installScript(
        macProfile(), "/Applications/Ventoria.app/Contents/MacOS/VentoriaHelper",
        "/Applications/Ventoria.app/Contents/Resources/io.kestrand.ventoria.helper.plist");
    EXPECT_EQ(
        script,
        "/bin/launchctl bootout system/io.kestrand.ventoria.helper 2>/dev/null; "
        "/bin/mkdir -p /Library/PrivilegedHelperTools; "
        "/bin/cp '/Applications/Ventoria.app/Contents/MacOS/VentoriaHelper' "
        "'/Library/PrivilegedHelperTools/io.kestrand.ventoria.helper' && "
        "/usr/sbin/chown root:wheel '/Library/PrivilegedHelperTools/io.kestrand.ventoria.helper' "
        "&& "
        "/bin/chmod 755 '/Library/PrivilegedHelperTools/io.kestrand.ventoria.helper'; "
        "/bin/cp '/Applications/Ventoria.app/Contents/Resources/io.kestrand.ventoria.helper.plist' "
        "'/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist' && "
        "/usr/sbin/chown root:wheel '/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist' && "
        "/bin/chmod 644 '/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist'; "
        "for i in 1 2 3 4 5; do /bin/launchctl bootstrap system "
        "'/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist' && exit 0; sleep 1; done; exit "
        "1");
}

TEST(InstallScript, AwkwardBundlePathsSurviveTheShellAndAppleScript) {
    std::string bundle = R"(/Users/jo/Apps "Fan" \ Jo's/Ventoria.app)";
    auto script = installScript(macProfile(), bundle + "/Contents/MacOS/VentoriaHelper",
                                bundle + "/Contents/Resources/io.kestrand.ventoria.helper.plist");
    EXPECT_NE(
        script.find(
            R"(/bin/cp '/Users/jo/Apps "Fan" \ Jo'\''s/Ventoria.app/Contents/MacOS/VentoriaHelper' )"),
        std::string::npos);
    auto source = appleScriptSource(script);
    EXPECT_TRUE(source.starts_with("do shell script \"/bin/launchctl bootout"));
    EXPECT_TRUE(source.ends_with("exit 1\" with administrator privileges"));
    EXPECT_NE(source.find(R"(Apps \"Fan\" \\ Jo'\\''s)"), std::string::npos);
    EXPECT_EQ(readAppleScriptLiteral(appleScriptEscaped(script)), script);
}

TEST(AppleScript, BackslashesAreDoubledBeforeQuotesAreEscaped) {
    EXPECT_EQ(appleScriptEscaped(R"(a\b"c)"), R"(a\\b\"c)");
    EXPECT_EQ(appleScriptEscaped(R"(\")"), R"(\\\")");
    EXPECT_EQ(appleScriptSource("echo hi"),
              R"(do shell script "echo hi" with administrator privileges)");
}

// Records the script instead of running it, and answers as told.
class RecordingRunner final : public ScriptRunner {
  public:
    RecordingRunner(std::string* ran, std::optional<std::string> answer)
        : ran_(ran), answer_(std::move(answer)) {}
    std::optional<std::string> run(const std::string& script) override {
        *ran_ = script;
        return answer_;
    }

  private:
    std::string* ran_;
    std::optional<std::string> answer_;
};

// sha256sum of "#!/bin/sh\n", the helper these tests put in the bundle.
constexpr const char* kShellStubDigest =
    "a8076d3d28d21e02012b20eaf7dbf75409a6277134439025f282e368e3305abf";

class ScriptInstallerTest : public ::testing::Test {
  protected:
    void bundleHolds(const char* name, bool executable) {
        auto path = root.path() / name;
        std::ofstream(path) << "#!/bin/sh\n";
        if (executable) std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    QString install(std::optional<std::string> answer) {
        ScriptInstaller installer(Bundle(root.path()), macProfile(),
                                  std::make_unique<RecordingRunner>(&ran, std::move(answer)),
                                  kShellStubDigest);
        try {
            installer.install();
        } catch (const HelperError& error) {
            return error.description();
        }
        return {};
    }

    test::TemporaryRoot root;
    std::string ran;
};

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

TEST_F(ScriptInstallerTest, OnlyTheHelperTheApplicationWasBuiltWithIsHandedToRoot) {
    bundleHolds("VentoriaHelper", true);
    bundleHolds("io.kestrand.ventoria.helper.plist", false);
    std::ofstream(root.path() / "VentoriaHelper", std::ios::app) << "echo owned\n";
    EXPECT_EQ(install(std::nullopt),
              "Helper install failed: helper in app bundle has been modified");
    EXPECT_TRUE(ran.empty());  // no prompt for a helper we would not install
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

TEST(HelperDigestTest, TheBuiltDigestIsTheHelpersSHA256) {
    EXPECT_EQ(fileDigest(test::binDirectory() / "no-such-file"), std::nullopt);
    auto helper = test::binDirectory() / "VentoriaHelper";
    // The system's own tool: coreutils on Linux, Perl's shasum on a Mac.
    auto sum = std::filesystem::exists("/usr/bin/sha256sum")
                   ? test::run({"/usr/bin/sha256sum", helper.string()})
                   : test::run({"/usr/bin/shasum", "-a", "256", helper.string()});
    ASSERT_EQ(sum.status, 0);
    auto expected = sum.out.substr(0, 64);
    EXPECT_EQ(fileDigest(helper), expected);
    EXPECT_EQ(builtHelperDigest(), expected);
}

}  // namespace
}  // namespace ventoria::app
