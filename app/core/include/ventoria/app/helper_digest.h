#pragma once
// The helper the application was built with, by digest. A program running as the user could
// replace the helper in the bundle; the installer must not hand that program to root.

#include <filesystem>
#include <optional>
#include <string>

namespace ventoria::app {

// The SHA-256 of the helper executable built with this application, in lower-case hex.
const char* builtHelperDigest();

// The SHA-256 of the file at `path` in lower-case hex; nothing when it cannot be read.
std::optional<std::string> fileDigest(const std::filesystem::path& path);

}  // namespace ventoria::app
