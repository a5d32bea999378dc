#include "ventoria/app/installer.h"

#include <unistd.h>

#include "ventoria/app/code_signature.h"
#include "ventoria/app/helper_error.h"

namespace ventoria::app {
namespace {

std::string replaceChar(std::string_view text, char what, std::string_view with) {
    std::string out;
    for (char c : text) {
        if (c == what) {
            out += with;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

Bundle::Bundle(std::filesystem::path executableDirectory)
    : executableDirectory_(std::move(executableDirectory)) {}

// Auxiliary executables stand next to the main one on both systems.
std::optional<std::filesystem::path> Bundle::auxiliaryExecutable(std::string_view name) const {
    auto path = executableDirectory_ / name;
    if (access(path.c_str(), X_OK) != 0) return std::nullopt;
    return path;
}

InstallerProfile macProfile() {
    return {.launchctl = "/bin/launchctl",
            .mkdir = "/bin/mkdir",
            .cp = "/bin/cp",
            .chown = "/usr/sbin/chown",
            .chmod = "/bin/chmod",
            .mv = "/bin/mv",
            .rm = "/bin/rm",
            .sha256 = "/usr/bin/shasum -a 256",
            .owner = "root:wheel",
            .toolsDir = "/Library/PrivilegedHelperTools",
            .toolPath = kHelperToolPath,
            .plistPath = kHelperPlistPath};
}

std::string shellQuoted(std::string_view s) {
    return "'" + replaceChar(s, '\'', "'\\''") + "'";
}

std::string installScript(const InstallerProfile& profile, const std::filesystem::path& helper,
                          const std::filesystem::path& plist, const InstallDigests& digests) {
    auto job = shellQuoted(profile.plistPath);
    // place SOURCE DESTINATION MODE DIGEST: the copy goes beside its destination, gets its
    // owner and mode, is checked as root, and only then takes the destination's place. Any
    // failure removes the copy and ends the script, with the reason as its last word.
    const std::string place =
        "place() { " + profile.cp + " \"$1\" \"$2.new\" && " + profile.chown + " " + profile.owner +
        " \"$2.new\" && " + profile.chmod + " \"$3\" \"$2.new\" && { [ \"$(" + profile.sha256 +
        " < \"$2.new\")\" = \"$4  -\" ] || { echo \"$1 changed while it was "
        "being installed\" >&2; false; }; } && " +
        profile.mv + " -f \"$2.new\" \"$2\" || { " + profile.rm + " -f \"$2.new\"; exit 1; }; }";
    const std::string commands[] = {
        profile.launchctl + " bootout system/" + kHelperLabel + " 2>/dev/null",
        profile.mkdir + " -p " + profile.toolsDir,
        place,
        "place " + shellQuoted(helper.string()) + " " + shellQuoted(profile.toolPath) + " 755 " +
            digests.helper,
        "place " + shellQuoted(plist.string()) + " " + job + " 644 " + digests.plist,
        "for i in 1 2 3 4 5; do " + profile.launchctl + " bootstrap system " + job +
            " && exit 0; sleep 1; done; exit 1",
    };
    std::string script;
    for (const auto& command : commands) script += (script.empty() ? "" : "; ") + command;
    return script;
}

std::string appleScriptEscaped(std::string_view script) {
    return replaceChar(replaceChar(script, '\\', "\\\\"), '"', "\\\"");
}

std::string appleScriptSource(std::string_view script) {
    return "do shell script \"" + appleScriptEscaped(script) + "\" with administrator privileges";
}

ScriptInstaller::ScriptInstaller(Bundle bundle, InstallerProfile profile,
                                 std::unique_ptr<ScriptRunner> runner, InstallDigests digests)
    : bundle_(std::move(bundle)),
      profile_(std::move(profile)),
      runner_(std::move(runner)),
      digests_(std::move(digests)) {}

void ScriptInstaller::install() {
    auto helper = bundle_.auxiliaryExecutable("VentoriaHelper");
    auto plist = bundle_.resource(kHelperLabel, "plist");
    if (!helper || !plist) {
        throw HelperError::installFailed(QStringLiteral("helper missing from app bundle"));
    }
    // Checked here so that no prompt is shown for a job we would not install; the script
    // checks again, as root, what it copied, since the user takes a while to answer.
    if (fileDigest(*helper) != digests_.helper) {
        throw HelperError::installFailed(QStringLiteral("helper in app bundle has been modified"));
    }
    if (fileDigest(*plist) != digests_.plist) {
        throw HelperError::installFailed(
            QStringLiteral("helper's property list in app bundle has been modified"));
    }
    if (auto refusal = teamRefusal(ownSigningTeam(), signingTeam(*helper))) {
        throw HelperError::installFailed(QString::fromStdString(*refusal));
    }
    if (auto error = runner_->run(installScript(profile_, *helper, *plist, digests_))) {
        throw HelperError::installFailed(QString::fromStdString(*error));
    }
}

}  // namespace ventoria::app
