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

// What the user reads when a job file in the bundle is not the one the build made.
QString jobFileModified(std::string_view name) {
    if (name.ends_with(".plist")) {
        return QStringLiteral("helper's property list in app bundle has been modified");
    }
    return QStringLiteral("helper's unit %1 in app bundle has been modified")
        .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
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

void useLaunchd(InstallerProfile& profile, const std::string& launchctl,
                const std::string& plistPath) {
    auto job = shellQuoted(plistPath);
    profile.stop = launchctl + " bootout system/" + kHelperLabel + " 2>/dev/null";
    profile.jobs = {{std::string(kHelperLabel) + ".plist", plistPath}};
    profile.start = "for i in 1 2 3 4 5; do " + launchctl + " bootstrap system " + job +
                    " && exit 0; sleep 1; done; exit 1";
}

InstallerProfile macProfile() {
    InstallerProfile profile{.mkdir = "/bin/mkdir",
                             .cp = "/bin/cp",
                             .chown = "/usr/sbin/chown",
                             .chmod = "/bin/chmod",
                             .mv = "/bin/mv",
                             .rm = "/bin/rm",
                             .sha256 = "/usr/bin/shasum -a 256",
                             .owner = "root:wheel",
                             .toolsDir = "/Library/PrivilegedHelperTools",
                             .toolPath = kHelperToolPath};
    useLaunchd(profile, "/bin/launchctl", kHelperPlistPath);
    return profile;
}

std::string shellQuoted(std::string_view s) {
    return "'" + replaceChar(s, '\'', "'\\''") + "'";
}

std::string installScript(const InstallerProfile& profile, const std::filesystem::path& helper,
                          const std::vector<std::filesystem::path>& jobs,
                          const InstallDigests& digests) {
    // place SOURCE DESTINATION MODE DIGEST: the copy goes beside its destination, gets its
    // owner and mode, is checked as root, and only then takes the destination's place. Any
    // failure removes the copy and ends the script, with the reason as its last word.
    const std::string place =
        "place() { " + profile.cp + " \"$1\" \"$2.new\" && " + profile.chown + " " + profile.owner +
        " \"$2.new\" && " + profile.chmod + " \"$3\" \"$2.new\" && { [ \"$(" + profile.sha256 +
        " < \"$2.new\")\" = \"$4  -\" ] || { echo \"$1 changed while it was "
        "being installed\" >&2; false; }; } && " +
        profile.mv + " -f \"$2.new\" \"$2\" || { " + profile.rm + " -f \"$2.new\"; exit 1; }; }";
    std::vector<std::string> commands{
        profile.stop,
        profile.mkdir + " -p " + shellQuoted(profile.toolsDir),
        place,
        "place " + shellQuoted(helper.string()) + " " + shellQuoted(profile.toolPath) + " 755 " +
            digests.helper,
    };
    for (std::size_t i = 0; i < profile.jobs.size() && i < jobs.size(); ++i) {
        auto digest = digests.jobs.find(profile.jobs[i].name);
        commands.push_back("place " + shellQuoted(jobs[i].string()) + " " +
                           shellQuoted(profile.jobs[i].destination) + " 644 " +
                           (digest == digests.jobs.end() ? "unknown" : digest->second));
    }
    commands.push_back(profile.start);
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
    if (!helper) throw HelperError::installFailed(QStringLiteral("helper missing from app bundle"));
    std::vector<std::filesystem::path> jobs;
    for (const auto& job : profile_.jobs) {
        auto file = bundle_.resource(job.name);
        if (!file) {
            throw HelperError::installFailed(QStringLiteral("helper missing from app bundle"));
        }
        jobs.push_back(*file);
    }
    // Checked here so that no prompt is shown for a job we would not install; the script
    // checks again, as root, what it copied, since the user takes a while to answer.
    if (fileDigest(*helper) != digests_.helper) {
        throw HelperError::installFailed(QStringLiteral("helper in app bundle has been modified"));
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        auto built = digests_.jobs.find(profile_.jobs[i].name);
        if (built == digests_.jobs.end() || fileDigest(jobs[i]) != built->second) {
            throw HelperError::installFailed(jobFileModified(profile_.jobs[i].name));
        }
    }
    if (auto refusal = teamRefusal(ownSigningTeam(), signingTeam(*helper))) {
        throw HelperError::installFailed(QString::fromStdString(*refusal));
    }
    if (auto error = runner_->run(installScript(profile_, *helper, jobs, digests_))) {
        throw HelperError::installFailed(QString::fromStdString(*error));
    }
}

}  // namespace ventoria::app
