#pragma once
// What the user reads when the administrator script did not run: the system's own words, or
// "cancelled" when the user dismissed the prompt.

#include <optional>
#include <string>

namespace ventoria::app {

// AppleScript's "User canceled." error: the prompt was dismissed.
inline constexpr long kUserCanceled = -128;

// A failed script as AppleScript reports it (NSAppleScriptErrorNumber and
// NSAppleScriptErrorMessage); either may be missing.
struct ScriptError {
    std::optional<long> number;
    std::string message;
};

// "cancelled" for the user's cancel; otherwise the message without its surrounding blanks,
// or "AppleScript error N" when there is no message.
std::string scriptErrorText(const ScriptError& error);

}  // namespace ventoria::app
