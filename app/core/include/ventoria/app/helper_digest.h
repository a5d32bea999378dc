#pragma once
// The helper job the application was built with, by digest. A program running as the user
// could replace the helper or its launchd property list in the bundle (a property list can
// name any program for launchd to run as root); the installer must hand neither to root.

#include <filesystem>
#include <optional>
#include <string>

namespace ventoria::app {

// SHA-256 digests in lower-case hex.
struct InstallDigests {
    std::string helper;  // of the helper executable
    std::string plist;   // of its launchd property list
};

// The digests of the helper and the property list built with this application.
InstallDigests builtDigests();

// The SHA-256 of the file at `path` in lower-case hex; nothing when it cannot be read.
std::optional<std::string> fileDigest(const std::filesystem::path& path);

}  // namespace ventoria::app
