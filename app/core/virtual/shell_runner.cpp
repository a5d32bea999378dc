#include "ventoria/app/shell_runner.h"

#include <QProcess>

namespace ventoria::app {
namespace {

// pkexec's own statuses: the dialog dismissed, and not authorised or no polkit at all.
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecRefused = 127;

std::string firstLine(std::string_view text) {
    auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return {};
    auto line = text.substr(start, text.find('\n', start) - start);
    return std::string(line.substr(0, line.find_last_not_of(" \t\r") + 1));
}

std::string lastLine(const QByteArray& text) {
    auto lines = QString::fromUtf8(text).trimmed().split('\n');
    return lines.last().trimmed().toStdString();
}

class ShellRunner final : public ScriptRunner {
  public:
    ShellRunner(bool elevate, std::function<void()> beforeRun)
        : elevate_(elevate), beforeRun_(std::move(beforeRun)) {}

    std::optional<std::string> run(const std::string& script) override {
        if (beforeRun_) beforeRun_();
        QProcess shell;
        if (elevate_) {
            // The shell's own 126 and 127 (a tool that cannot run or is missing) would read as
            // pkexec's: the script's failures end with 1 instead, their words unchanged.
            auto wrapped =
                "(" + script + "); status=$?; [ $status -lt 126 ] || status=1; exit $status";
            shell.start(QStringLiteral("pkexec"), {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                                   QString::fromStdString(wrapped)});
        } else {
            shell.start(QStringLiteral("/bin/sh"),
                        {QStringLiteral("-c"), QString::fromStdString(script)});
        }
        shell.waitForFinished(-1);
        if (shell.error() == QProcess::FailedToStart) {
            return elevate_ ? "pkexec is not installed: install it (sudo apt install pkexec) or "
                              "the Ventoria package"
                            : "/bin/sh could not be started";
        }
        int status = shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
        if (status == 0) return std::nullopt;
        auto said = shell.readAllStandardError();
        if (elevate_) {
            if (auto failure = pkexecFailure(status, said.toStdString())) return failure;
        }
        auto last = lastLine(said);
        return last.empty() ? "the install script failed with status " + std::to_string(status)
                            : last;
    }

  private:
    bool elevate_;
    std::function<void()> beforeRun_;
};

}  // namespace

std::optional<std::string> pkexecFailure(int status, std::string_view said) {
    if (status == kPkexecDismissed) return "cancelled";
    if (status != kPkexecRefused) return std::nullopt;
    // No polkit daemon on the system bus: pkexec cannot ask anyone.
    if (said.find("org.freedesktop.PolicyKit1") != std::string_view::npos) {
        return "polkit is not running: install it (sudo apt install polkitd) or the Ventoria "
               "package";
    }
    // "Error executing command as another user: Not authorized", or "…: No authentication
    // agent found." where the desktop runs no polkit agent; what follows is pkexec's boilerplate.
    auto line = firstLine(said);
    return line.empty() ? "not authorised to install the helper" : line;
}

std::unique_ptr<ScriptRunner> shellRunner(bool elevate, std::function<void()> beforeRun) {
    return std::make_unique<ShellRunner>(elevate, std::move(beforeRun));
}

}  // namespace ventoria::app
