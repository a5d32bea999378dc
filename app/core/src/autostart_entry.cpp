#include "ventoria/app/login_item.h"

namespace ventoria::app {
namespace {

// Desktop entries quote Exec arguments in double quotes, inside which ", `, $ and \ are
// escaped with a backslash; a path with spaces stays one argument.
std::string quotedArgument(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string autostartEntry(const std::filesystem::path& application) {
    // In the file format a backslash in a string value is itself escaped.
    std::string exec;
    for (char c : quotedArgument(application.string())) {
        exec += c;
        if (c == '\\') exec += '\\';
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Ventoria\n"
           "Comment=Fan control from the menu bar\n"
           "Exec=" +
           exec +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace ventoria::app
