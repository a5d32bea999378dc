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
    return {"/bin/launchctl",
            "/bin/mkdir",
            "/bin/cp",
            "/usr/sbin/chown",
            "/bin/chmod",
            "root:wheel",
            "/Library/PrivilegedHelperTools",
            kHelperToolPath,
            kHelperPlistPath};
}

std::string shellQuoted(std::string_view s) {
    return "'" + replaceChar(s, '\'', "'\\''") + "'";
}

std::string installScript(const InstallerProfile& profile, const std::filesystem::path& helper,
                          const std::filesystem::path& plist) {
    auto source = shellQuoted(helper.string());
    auto resource = shellQuoted(plist.string());
    auto tool = shellQuoted(profile.toolPath);
    auto job = shellQuoted(profile.plistPath);
    const std::string commands[] = {
        profile.launchctl + " bootout system/" + kHelperLabel + " 2>/dev/null",
        profile.mkdir + " -p " + profile.toolsDir,
        profile.cp + " " + source + " " + tool + " && " + profile.chown + " " + profile.owner +
            " " + tool + " && " + profile.chmod + " 755 " + tool,
        profile.cp + " " + resource + " " + job + " && " + profile.chown + " " + profile.owner +
            " " + job + " && " + profile.chmod + " 644 " + job,
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
                                 std::unique_ptr<ScriptRunner> runner, std::string helperDigest)
    : bundle_(std::move(bundle)),
      profile_(std::move(profile)),
      runner_(std::move(runner)),
      helperDigest_(std::move(helperDigest)) {}

void ScriptInstaller::install() {
    auto helper = bundle_.auxiliaryExecutable("VentoriaHelper");
    auto plist = bundle_.resource(kHelperLabel, "plist");
    if (!helper || !plist) {
        throw HelperError::installFailed(QStringLiteral("helper missing from app bundle"));
    }
    // Between these checks and the copy the file could still change: the window is the time
    // the user takes to answer the prompt, open only to a program already running as the user.
    if (fileDigest(*helper) != helperDigest_) {
        throw HelperError::installFailed(QStringLiteral("helper in app bundle has been modified"));
    }
    if (auto refusal = teamRefusal(ownSigningTeam(), signingTeam(*helper))) {
        throw HelperError::installFailed(QString::fromStdString(*refusal));
    }
    if (auto error = runner_->run(installScript(profile_, *helper, *plist))) {
        throw HelperError::installFailed(QString::fromStdString(*error));
    }
}

}  // namespace ventoria::app
