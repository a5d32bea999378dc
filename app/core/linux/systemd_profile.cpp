// The install script's profile for a Linux machine's systemd.

#include "ventoria/app/installer.h"

namespace ventoria::app {

InstallerProfile systemdProfile() {
    const std::string systemctl = "/usr/bin/systemctl";
    const std::string units = std::string(kHelperSocketName) + " " + kHelperServiceName;
    auto unitPath = [](const char* name) { return std::string(kLocalUnitDir) + "/" + name; };
    // Stopping the service hands the fans back (its ExecStopPost), and the socket goes with
    // it so that no connection starts the old helper mid-copy. The service is enabled too:
    // started at boot, a helper that died holding the fans is followed by one that hands back.
    return {.stop = systemctl + " stop " + units + " 2>/dev/null",
            .mkdir = "/bin/mkdir",
            .cp = "/bin/cp",
            .chown = "/bin/chown",
            .chmod = "/bin/chmod",
            .mv = "/bin/mv",
            .rm = "/bin/rm",
            .sha256 = "/usr/bin/sha256sum",
            .owner = "root:root",
            .toolsDir = kLocalHelperDir,
            .toolPath = kLocalHelperPath,
            .jobs = {{kHelperServiceName, unitPath(kHelperServiceName)},
                     {kHelperSocketName, unitPath(kHelperSocketName)}},
            .start = systemctl + " daemon-reload && " + systemctl + " enable --now " + units};
}

}  // namespace ventoria::app
