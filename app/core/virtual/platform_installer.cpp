// The installer on Linux. Where the system root is the machine's own, systemd's job in the local
// administrator's places; elsewhere the virtual Mac: the Mac's script with the stand-in tools
// under the system root. Either is run by sh, behind pkexec when the user cannot write there.

#include <unistd.h>

#include "ventoria/app/installer.h"
#include "ventoria/app/shell_runner.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::app {
namespace {

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

// The first of `candidates` this system has: the tools stand in different places on Linux
// and on a Mac (chown is /bin/chown on one, /usr/sbin/chown on the other).
std::string systemTool(std::initializer_list<const char*> candidates) {
    for (const char* candidate : candidates) {
        if (access(candidate, X_OK) == 0) return candidate;
    }
    return *candidates.begin();  // the script then fails and says which tool is missing
}

InstallerProfile virtualMacProfile(bool elevate) {
    InstallerProfile profile{
        .mkdir = "/bin/mkdir",
        .cp = "/bin/cp",
        .chown = systemTool({"/bin/chown", "/usr/sbin/chown"}),
        .chmod = "/bin/chmod",
        .mv = "/bin/mv",
        .rm = "/bin/rm",
        .sha256 = std::filesystem::exists("/usr/bin/sha256sum") ? "/usr/bin/sha256sum"
                                                                : "/usr/bin/shasum -a 256",
        .owner = elevate ? "root:0" : std::to_string(getuid()) + ":" + std::to_string(getgid()),
        .toolsDir = platform::systemPath("/Library/PrivilegedHelperTools").string(),
        .toolPath = platform::systemPath(kHelperToolPath).string(),
    };
    useLaunchd(profile, shellQuoted(platform::systemPath("/bin/launchctl").string()),
               platform::systemPath(kHelperPlistPath).string());
    return profile;
}

}  // namespace

std::unique_ptr<HelperInstaller> platformInstaller(Bundle bundle, InstallDigests digests) {
    if (platform::onTheMachineItself()) {
        // A real machine: its own init system, and root's places, whoever runs the application.
        return std::make_unique<ScriptInstaller>(std::move(bundle), systemdProfile(),
                                                 shellRunner(getuid() != 0), std::move(digests));
    }
    auto root = platform::systemRoot();
    std::error_code ignored;
    std::filesystem::create_directories(root, ignored);
    bool elevate = access(root.c_str(), W_OK) != 0;
    auto runner = shellRunner(elevate, [bundle, elevate] {
        if (!elevate) provideStandIns(bundle);
    });
    return std::make_unique<ScriptInstaller>(std::move(bundle), virtualMacProfile(elevate),
                                             std::move(runner), std::move(digests));
}

}  // namespace ventoria::app
