#include "ventoria/app/script_error.h"

namespace ventoria::app {

std::string scriptErrorText(const ScriptError& error) {
    if (error.number == kUserCanceled) return "cancelled";
    auto first = error.message.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) {
        auto last = error.message.find_last_not_of(" \t\r\n");
        return error.message.substr(first, last - first + 1);
    }
    if (error.number) return "AppleScript error " + std::to_string(*error.number);
    return "AppleScript error";
}

}  // namespace ventoria::app
