#include "temporary_root.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

namespace ventoria::test {

TemporaryRoot::TemporaryRoot() {
    // Short, because a Unix socket path under it must stay within 108 bytes.
    std::string pattern = "/tmp/vtr.XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary root");
    path_ = pattern;
    setenv("VENTORIA_SYSROOT", path_.c_str(), 1);
}

TemporaryRoot::~TemporaryRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace ventoria::test
