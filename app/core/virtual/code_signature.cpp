// The virtual Mac signs nothing: the digest is the whole check.

#include "ventoria/app/code_signature.h"

namespace ventoria::app {

std::optional<std::string> signingTeam(const std::filesystem::path&) {
    return std::nullopt;
}

std::optional<std::string> ownSigningTeam() {
    return std::nullopt;
}

}  // namespace ventoria::app
