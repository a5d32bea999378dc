#pragma once
// Installing the helper: one shell script, run once with administrator rights, copies the
// helper and its job files (launchd's property list, or systemd's two units) out of the
// application bundle into the system locations and starts the job. The same script on every
// system; only the tools, the places and the job's two commands differ.
//
// Each file is copied beside its destination, checked as root against the digest the build
// recorded, and only then renamed into place: a full disk leaves the old file or none, never a
// broken one; a running helper is never overwritten in place (which would break its code
// signature); and a file the user's programs changed between the check before the prompt and
// the copy is refused too.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ventoria/app/helper_digest.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::app {

inline constexpr const char* kHelperToolPath =
    "/Library/PrivilegedHelperTools/io.kestrand.ventoria.helper";
inline constexpr const char* kHelperPlistPath =
    "/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist";
// The helper's systemd unit, where the Debian package puts it.
inline constexpr const char* kHelperUnitPath = "/usr/lib/systemd/system/ventoria-helper.service";
// Where the application installs the helper on a Linux machine without the package: the local
// administrator's places, which no package writes and which override the package's unit.
inline constexpr const char* kLocalHelperDir = "/usr/local/libexec/ventoria";
inline constexpr const char* kLocalHelperPath = "/usr/local/libexec/ventoria/VentoriaHelper";
inline constexpr const char* kLocalUnitDir = "/etc/systemd/system";
inline constexpr const char* kHelperServiceName = "ventoria-helper.service";
inline constexpr const char* kHelperSocketName = "ventoria-helper.socket";
// The launchd job is named after the service it offers.
inline constexpr const char* kHelperLabel = ipc::kServiceName;

// A job file of the bundle and where it is installed.
struct JobFile {
    std::string name;         // the bundle's resource: "io.kestrand.ventoria.helper.plist"
    std::string destination;  // kHelperPlistPath
};

// Where the script finds its tools and puts the helper. Every field but the destinations is
// ready to stand in the script as it is; the destinations are quoted when the script is built.
struct InstallerProfile {
    std::string stop{};    // ends a running job: "/bin/launchctl bootout system/… 2>/dev/null"
    std::string mkdir;     // "/bin/mkdir"
    std::string cp;        // "/bin/cp"
    std::string chown;     // "/usr/sbin/chown"
    std::string chmod;     // "/bin/chmod"
    std::string mv;        // "/bin/mv"
    std::string rm;        // "/bin/rm"
    std::string sha256;    // "/usr/bin/shasum -a 256": reads stdin, prints "<hex>  -"
    std::string owner;     // "root:wheel"
    std::string toolsDir;  // "/Library/PrivilegedHelperTools"
    std::string toolPath;  // kHelperToolPath
    std::vector<JobFile> jobs{};
    std::string start{};  // the last command: starts the job, and the script's status is its
};

// launchd's job: the property list at `plistPath`, stopped and started with `launchctl`.
// Bootstrapping right after a bootout can fail while launchd still tears the old job down, so
// the start is tried for five seconds.
void useLaunchd(InstallerProfile& profile, const std::string& launchctl,
                const std::string& plistPath);

InstallerProfile macProfile();
// A Linux machine's systemd: the helper in kLocalHelperDir, its two units in kLocalUnitDir,
// the socket enabled and started (the helper starts on the first connection, and at boot).
InstallerProfile systemdProfile();

// s in single quotes, each single quote in it as '\'' — one shell word, whatever s holds.
std::string shellQuoted(std::string_view s);

// The commands joined with "; ". `helper` and `jobs` (one per profile.jobs) are the bundle's
// copies, which must have the digests in `digests`.
std::string installScript(const InstallerProfile& profile, const std::filesystem::path& helper,
                          const std::vector<std::filesystem::path>& jobs,
                          const InstallDigests& digests);

// The script as an AppleScript string literal's content: backslashes doubled first, then
// double quotes escaped.
std::string appleScriptEscaped(std::string_view script);
// "do shell script \"…\" with administrator privileges"
std::string appleScriptSource(std::string_view script);

// Runs the install script with administrator rights, after the system's prompt. Nothing on
// success; otherwise the system's message, or "cancelled".
class ScriptRunner {
  public:
    virtual ~ScriptRunner() = default;
    virtual std::optional<std::string> run(const std::string& script) = 0;
};

// The Mac's way: NSAppleScript running appleScriptSource() in process.
std::unique_ptr<ScriptRunner> appleScriptRunner();

// Finds the helper and its job files in the application bundle.
class Bundle {
  public:
    explicit Bundle(std::filesystem::path executableDirectory);
    // The directory of the running program, which the platform's bundle layout is read from.
    static Bundle main();

    std::optional<std::filesystem::path> auxiliaryExecutable(std::string_view name) const;
    // The resource named `fileName` ("io.kestrand.ventoria.helper.plist"), if it is a file.
    std::optional<std::filesystem::path> resource(std::string_view fileName) const;

  private:
    std::filesystem::path executableDirectory_;
};

class HelperInstaller {
  public:
    virtual ~HelperInstaller() = default;
    // Throws HelperError::installFailed.
    virtual void install() = 0;
};

// Installs the bundle's helper and job files, but only those with the digests given: anything
// else in the bundle's place is refused before the system's prompt.
class ScriptInstaller final : public HelperInstaller {
  public:
    ScriptInstaller(Bundle bundle, InstallerProfile profile, std::unique_ptr<ScriptRunner> runner,
                    InstallDigests digests);
    void install() override;

  private:
    Bundle bundle_;
    InstallerProfile profile_;
    std::unique_ptr<ScriptRunner> runner_;
    InstallDigests digests_;
};

// This system's installer for the helper in `bundle`, which must be the one the application
// was built with: the Mac's paths and AppleScript; on Linux, systemd's where the system root is
// the machine's own, else the virtual Mac's stand-in tools under the system root; run by sh,
// behind pkexec where the user cannot write the places.
std::unique_ptr<HelperInstaller> platformInstaller(Bundle bundle = Bundle::main(),
                                                   InstallDigests digests = builtDigests());

}  // namespace ventoria::app
