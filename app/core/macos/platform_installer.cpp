#include "ventoria/app/installer.h"

namespace ventoria::app {

std::unique_ptr<HelperInstaller> platformInstaller(Bundle bundle, std::string helperDigest) {
    return std::make_unique<ScriptInstaller>(std::move(bundle), macProfile(), appleScriptRunner(),
                                             std::move(helperDigest));
}

}  // namespace ventoria::app
