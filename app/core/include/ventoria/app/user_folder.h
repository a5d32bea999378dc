#pragma once
// Where the user's own files go on Linux. On the machine itself (the system root "/") that is
// the XDG configuration folder; on a virtual Mac, the user's home under its system root, so
// that a virtual Mac never touches the real user's files.

#include <filesystem>

namespace ventoria::app {

// $XDG_CONFIG_HOME, else ~/.config; on a virtual Mac /Users/<name>/.config under its root.
std::filesystem::path userConfigFolder();

// The file the user's presets and settings are kept in: on the machine itself
// <userConfigFolder>/ventoria/io.kestrand.ventoria.ini, on a virtual Mac where a Mac keeps
// them, /Users/<name>/Library/Preferences/io.kestrand.ventoria.ini.
std::filesystem::path userDefaultsFile();

}  // namespace ventoria::app
