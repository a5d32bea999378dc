#include "ventoria/app/installer.h"

namespace ventoria::app {

std::unique_ptr<HelperInstaller> platformInstaller(Bundle bundle, InstallDigests digests) {
    return std::make_unique<ScriptInstaller>(std::move(bundle), macProfile(), appleScriptRunner(),
                                             std::move(digests));
}

}  // namespace ventoria::app
