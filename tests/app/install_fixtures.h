#pragma once
// What the installer's tests share: the bundle's file names, digests, and fixtures that run the
// install script for real or record it.

#include <gtest/gtest.h>

#include <fstream>

#include "process.h"
#include "temporary_root.h"
#include "ventoria/app/helper_error.h"
#include "ventoria/app/installer.h"

namespace ventoria::app::test_support {

constexpr const char* kPlist = "io.kestrand.ventoria.helper.plist";
inline const InstallDigests kDigests{
    "aaaa",
    {{kPlist, "bbbb"}, {"ventoria-helper.service", "cccc"}, {"ventoria-helper.socket", "dddd"}}};

// The script run for real, by sh, on files of the test's own: with launchctl and chown left
// out (the test is no root and has no launchd), and `cp` whatever the case needs.
class InstallScriptRun : public ::testing::Test {
  protected:
    InstallScriptRun() {
        std::filesystem::create_directories(dir("bundle"));
        std::filesystem::create_directories(dir("system/LaunchDaemons"));
        write(dir("bundle") / "VentoriaHelper", "new helper\n");
        write(dir("bundle") / kPlist, "new plist\n");
    }
    std::filesystem::path dir(const char* name) const { return root.path() / name; }
    static void write(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path) << text;
    }
    static std::string read(const std::filesystem::path& path) {
        std::ifstream file(path);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    std::string tool() const { return (dir("system") / "tool").string(); }
    std::string plist() const { return (dir("system/LaunchDaemons") / "job.plist").string(); }
    // The tools every profile here uses, with `cp` as given and no chown.
    InstallerProfile tools(const std::string& cp) const {
        return {.mkdir = "/bin/mkdir",
                .cp = cp,
                .chown = "/bin/true",
                .chmod = "/bin/chmod",
                .mv = "/bin/mv",
                .rm = "/bin/rm",
                .sha256 = std::filesystem::exists("/usr/bin/sha256sum") ? "/usr/bin/sha256sum"
                                                                        : "/usr/bin/shasum -a 256",
                .owner = "nobody",
                .toolsDir = dir("system").string(),
                .toolPath = tool()};
    }
    // Runs `profile`'s script with the bundle's file for each of its jobs; the digests are
    // those of the bundle's files.
    test::ProcessResult run(const InstallerProfile& profile) {
        auto helper = dir("bundle") / "VentoriaHelper";
        InstallDigests digests{*fileDigest(helper), {}};
        std::vector<std::filesystem::path> jobs;
        for (const auto& job : profile.jobs) {
            jobs.push_back(dir("bundle") / job.name);
            digests.jobs[job.name] = fileDigest(jobs.back()).value_or("");
        }
        return test::run({"/bin/sh", "-c", installScript(profile, helper, jobs, digests)});
    }
    // launchd's script with `cp` as given.
    test::ProcessResult install(const std::string& cp) {
        auto profile = tools(cp);
        useLaunchd(profile, "/bin/true", plist());
        return run(profile);
    }
    // A program `name` that does `body` with its arguments.
    std::string stub(const std::string& body, const char* name = "cp") {
        auto path = dir(name);
        write(path, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }
    bool leftovers() const {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir("system"))) {
            if (entry.path().extension() == ".new") return true;
        }
        return false;
    }

    test::TemporaryRoot root;
};

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

// sha256sum of "#!/bin/sh\n", the helper and property list these tests put in the bundle.
constexpr const char* kShellStubDigest =
    "a8076d3d28d21e02012b20eaf7dbf75409a6277134439025f282e368e3305abf";

class ScriptInstallerTest : public ::testing::Test {
  protected:
    void bundleHolds(const char* name, bool executable) {
        auto path = root.path() / name;
        std::ofstream(path) << "#!/bin/sh\n";
        if (executable) std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    QString install(std::optional<std::string> answer, InstallerProfile profile = macProfile()) {
        InstallDigests digests{kShellStubDigest, {}};
        for (const auto& job : profile.jobs) digests.jobs[job.name] = kShellStubDigest;
        ScriptInstaller installer(Bundle(root.path()), std::move(profile),
                                  std::make_unique<RecordingRunner>(&ran, std::move(answer)),
                                  std::move(digests));
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

}  // namespace ventoria::app::test_support
