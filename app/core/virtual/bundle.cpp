// On the virtual Mac the application's bundle is the directory of the running program: the
// helper and its property list stand next to it.

#include <QCoreApplication>

#include "ventoria/app/installer.h"

namespace ventoria::app {

Bundle Bundle::main() {
    return Bundle(QCoreApplication::applicationDirPath().toStdString());
}

std::optional<std::filesystem::path> Bundle::resource(std::string_view name,
                                                      std::string_view type) const {
    auto path = executableDirectory_ / (std::string(name) + "." + std::string(type));
    if (!std::filesystem::is_regular_file(path)) return std::nullopt;
    return path;
}

}  // namespace ventoria::app
