#pragma once
// Installing the helper: one shell script, run once with administrator rights, copies the
// helper and its launchd property list out of the application bundle into the system
// locations and loads the job. The same script on both systems; only the tools' paths differ.
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

#include "ventoria/app/helper_digest.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::app {

inline constexpr const char* kHelperToolPath =
    "/Library/PrivilegedHelperTools/io.kestrand.ventoria.helper";
inline constexpr const char* kHelperPlistPath =
    "/Library/LaunchDaemons/io.kestrand.ventoria.helper.plist";
// The helper's systemd unit, where the Debian package puts it.
inline constexpr const char* kHelperUnitPath = "/usr/lib/systemd/system/ventoria-helper.service";
// The launchd job is named after the service it offers.
inline constexpr const char* kHelperLabel = ipc::kServiceName;

// Where the script finds its tools and puts the helper. Every field is ready to stand in the
// script as it is; the helper's two destinations are quoted when the script is built.
struct InstallerProfile {
    std::string launchctl;  // "/bin/launchctl"
    std::string mkdir;      // "/bin/mkdir"
    std::string cp;         // "/bin/cp"
    std::string chown;      // "/usr/sbin/chown"
    std::string chmod;      // "/bin/chmod"
    std::string mv;         // "/bin/mv"
    std::string rm;         // "/bin/rm"
    std::string sha256;     // "/usr/bin/shasum -a 256": reads stdin, prints "<hex>  -"
    std::string owner;      // "root:wheel"
    std::string toolsDir;   // "/Library/PrivilegedHelperTools"
    std::string toolPath;   // kHelperToolPath
    std::string plistPath;  // kHelperPlistPath
};

InstallerProfile macProfile();

// s in single quotes, each single quote in it as '\'' — one shell word, whatever s holds.
std::string shellQuoted(std::string_view s);

// The commands joined with "; ". `helper` and `plist` are the bundle's copies, which must
// have the digests in `digests`.
std::string installScript(const InstallerProfile& profile, const std::filesystem::path& helper,
                          const std::filesystem::path& plist, const InstallDigests& digests);

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

// Finds the helper and its property list in the application bundle.
class Bundle {
  public:
    explicit Bundle(std::filesystem::path executableDirectory);
    // The directory of the running program, which the platform's bundle layout is read from.
    static Bundle main();

    std::optional<std::filesystem::path> auxiliaryExecutable(std::string_view name) const;
    std::optional<std::filesystem::path> resource(std::string_view name,
                                                  std::string_view type) const;

  private:
    std::filesystem::path executableDirectory_;
};

class HelperInstaller {
  public:
    virtual ~HelperInstaller() = default;
    // Throws HelperError::installFailed.
    virtual void install() = 0;
};

// Installs the bundle's helper and property list, but only those with the digests given:
// anything else in the bundle's place is refused before the system's prompt.
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
// was built with: the Mac's paths and AppleScript, or on Linux the stand-in tools under the
// system root, run by sh.
std::unique_ptr<HelperInstaller> platformInstaller(Bundle bundle = Bundle::main(),
                                                   InstallDigests digests = builtDigests());

}  // namespace ventoria::app
