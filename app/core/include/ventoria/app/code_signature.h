#pragma once
// Who signed the helper. On a Mac signed with a real identity the application installs only a
// helper its own team signed; ad-hoc and unsigned builds (and Linux) rely on the digest alone.

#include <filesystem>
#include <optional>
#include <string>

namespace ventoria::app {

// The team identifier in the valid code signature of the executable at `path`; nothing when
// it is unsigned, signed ad hoc, or its signature does not verify.
std::optional<std::string> signingTeam(const std::filesystem::path& path);
// The team identifier this running application is signed by, if any.
std::optional<std::string> ownSigningTeam();

// Why a helper signed by `helperTeam` may not be installed by an application signed by
// `appTeam`; nothing when it may. An application without a team checks no team.
std::optional<std::string> teamRefusal(const std::optional<std::string>& appTeam,
                                       const std::optional<std::string>& helperTeam);

}  // namespace ventoria::app
