#include "ventoria/app/code_signature.h"

namespace ventoria::app {

std::optional<std::string> teamRefusal(const std::optional<std::string>& appTeam,
                                       const std::optional<std::string>& helperTeam) {
    if (!appTeam || appTeam == helperTeam) return std::nullopt;
    if (!helperTeam) return "helper in app bundle is not signed by the application's team";
    return "helper in app bundle is signed by another team";
}

}  // namespace ventoria::app
