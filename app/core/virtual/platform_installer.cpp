// The installer on the virtual Mac: the Mac's script with the stand-in tools under the system root,
// run by sh, behind pkexec only when the user cannot write the system root.

#include <unistd.h>

#include <QProcess>

#include "ventoria/app/installer.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

constexpr int kPkexecDismissed = 126;
constexpr int kPkexecNotAuthorized = 127;

// The system root stands for a Mac's "/": it needs launchd's tool and the folder that holds
// launchd's jobs. The stand-in tool ships next to the application.
void provideStandIns(const Bundle& bundle) {
    std::filesystem::create_directories(platform::systemPath("/Library/LaunchDaemons"));
    auto launchctl = platform::systemPath("/bin/launchctl");
    if (access(launchctl.c_str(), X_OK) == 0) return;
    auto standIn = bundle.auxiliaryExecutable("launchctl");
    if (!standIn) return;  // the script's bootstrap then fails and says so
    std::filesystem::create_directories(launchctl.parent_path());
    std::error_code ignored;
    std::filesystem::remove(launchctl, ignored);
    std::filesystem::create_symlink(*standIn, launchctl, ignored);
}

class ShellRunner final : public ScriptRunner {
  public:
    ShellRunner(Bundle bundle, bool elevate) : bundle_(std::move(bundle)), elevate_(elevate) {}

    std::optional<std::string> run(const std::string& script) override {
        if (!elevate_) provideStandIns(bundle_);
        QStringList arguments{QStringLiteral("-c"), QString::fromStdString(script)};
        QString program = QStringLiteral("/bin/sh");
        if (elevate_) {
            arguments.prepend(program);
            program = QStringLiteral("pkexec");
        }
        QProcess shell;
        shell.start(program, arguments);
        shell.waitForFinished(-1);
        if (shell.error() == QProcess::FailedToStart) {
            return program.toStdString() + " could not be started";
        }
        int status = shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
        if (status == 0) return std::nullopt;
        if (elevate_ && (status == kPkexecDismissed || status == kPkexecNotAuthorized)) {
            return std::string("cancelled");
        }
        auto lines = QString::fromUtf8(shell.readAllStandardError()).trimmed().split('\n');
        auto last = lines.last().trimmed().toStdString();
        return last.empty() ? "the install script failed with status " + std::to_string(status)
                            : last;
    }

  private:
    Bundle bundle_;
    bool elevate_;
};

// The first of `candidates` this system has: the tools stand in different places on Linux
// and on a Mac (chown is /bin/chown on one, /usr/sbin/chown on the other).
std::string systemTool(std::initializer_list<const char*> candidates) {
    for (const char* candidate : candidates) {
        if (access(candidate, X_OK) == 0) return candidate;
    }
    return *candidates.begin();  // the script then fails and says which tool is missing
}

}  // namespace

std::unique_ptr<HelperInstaller> platformInstaller(Bundle bundle, InstallDigests digests) {
    auto root = platform::systemRoot();
    std::error_code ignored;
    std::filesystem::create_directories(root, ignored);
    bool elevate = access(root.c_str(), W_OK) != 0;
    InstallerProfile profile{
        .launchctl = shellQuoted(platform::systemPath("/bin/launchctl").string()),
        .mkdir = "/bin/mkdir",
        .cp = "/bin/cp",
        .chown = systemTool({"/bin/chown", "/usr/sbin/chown"}),
        .chmod = "/bin/chmod",
        .mv = "/bin/mv",
        .rm = "/bin/rm",
        .sha256 = std::filesystem::exists("/usr/bin/sha256sum") ? "/usr/bin/sha256sum"
                                                                : "/usr/bin/shasum -a 256",
        .owner = elevate ? "root:0" : std::to_string(getuid()) + ":" + std::to_string(getgid()),
        .toolsDir = shellQuoted(platform::systemPath("/Library/PrivilegedHelperTools").string()),
        .toolPath = platform::systemPath(kHelperToolPath).string(),
        .plistPath = platform::systemPath(kHelperPlistPath).string(),
    };
    auto runner = std::make_unique<ShellRunner>(bundle, elevate);
    return std::make_unique<ScriptInstaller>(std::move(bundle), std::move(profile),
                                             std::move(runner), std::move(digests));
}

}  // namespace ventoria::app
