#include "temporary_root.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
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
    // Whose root this is: programs left running under the root of a test process that is gone
    // are stopped by the suite's clean-up step (tests/support/stop_strays.sh).
    // Beside the root, not in it: the root stays exactly what the programs made of it.
    std::ofstream(path_.string() + ".pid") << getpid() << "\n";
}

TemporaryRoot::~TemporaryRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::remove(path_.string() + ".pid", ignored);
}

}  // namespace ventoria::test
