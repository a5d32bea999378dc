#pragma once
// The helper job the application was built with, by digest. A program running as the user
// could replace the helper or its job files in the bundle (a launchd property list or a
// systemd unit can name any program to run as root); the installer must hand none to root.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace ventoria::app {

// SHA-256 digests in lower-case hex.
struct InstallDigests {
    std::string helper;                       // of the helper executable
    std::map<std::string, std::string> jobs;  // of each job file, by its name in the bundle
};

// The digests of the helper and the job files built with this application.
InstallDigests builtDigests();

// The SHA-256 of the file at `path` in lower-case hex; nothing when it cannot be read.
std::optional<std::string> fileDigest(const std::filesystem::path& path);

}  // namespace ventoria::app
