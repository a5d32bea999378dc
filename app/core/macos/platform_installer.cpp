#include "ventoria/app/installer.h"

namespace ventoria::app {

std::unique_ptr<HelperInstaller> platformInstaller(Bundle bundle) {
    return std::make_unique<ScriptInstaller>(std::move(bundle), macProfile(), osascriptRunner());
}

}  // namespace ventoria::app
