#pragma once
// Whether Ventoria opens when the user logs in. The system keeps the answer (the Mac's login
// items, an XDG autostart entry on the virtual Mac), so it is read from there every time,
// never remembered: what the Settings window shows is what will happen at the next login.

#include <filesystem>
#include <optional>
#include <string>

namespace ventoria::app {

bool launchesAtLogin();
// Nothing when done, else why not, in the system's words.
std::optional<std::string> setLaunchAtLogin(bool on);

// The freedesktop autostart entry that opens `application` at login.
std::string autostartEntry(const std::filesystem::path& application);

}  // namespace ventoria::app
