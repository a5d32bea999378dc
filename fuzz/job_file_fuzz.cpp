// Property lists as the launchctl stand-in reads them from disk.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "job_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        static std::string made = "/tmp/job_file_fuzz." + std::to_string(getpid()) + ".plist";
        std::atexit([] { std::remove(made.c_str()); });  // the fuzzer leaves through exit()
        return made;
    }();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (auto job = ventoria::launchd::readJob(path); job && job->arguments.empty()) {
        __builtin_trap();  // a job always names its program
    }
    return 0;
}
