// On the virtual Mac the application's bundle is the directory of the running program: the
// helper and its property list stand next to it.

#include <QCoreApplication>

#include "ventoria/app/installer.h"

namespace ventoria::app {

Bundle Bundle::main() {
    return Bundle(QCoreApplication::applicationDirPath().toStdString());
}

std::optional<std::filesystem::path> Bundle::resource(std::string_view fileName) const {
    auto path = executableDirectory_ / fileName;
    if (!std::filesystem::is_regular_file(path)) return std::nullopt;
    return path;
}

}  // namespace ventoria::app
