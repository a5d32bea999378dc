// A Mac application bundle: the program in Contents/MacOS beside its auxiliary executables,
// resources in Contents/Resources.

#include <mach-o/dyld.h>

#include <vector>

#include "ventoria/app/installer.h"

namespace ventoria::app {

Bundle Bundle::main() {
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::vector<char> path(size);
    _NSGetExecutablePath(path.data(), &size);
    return Bundle(std::filesystem::canonical(path.data()).parent_path());
}

std::optional<std::filesystem::path> Bundle::resource(std::string_view fileName) const {
    auto path = executableDirectory_.parent_path() / "Resources" / fileName;
    if (!std::filesystem::is_regular_file(path)) return std::nullopt;
    return path;
}

}  // namespace ventoria::app
