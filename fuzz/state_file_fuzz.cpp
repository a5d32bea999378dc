// A virtual Mac's state file that someone changed behind the machine's back: the input is a
// list of patches (a 4-byte offset, a length byte, that many bytes) applied to a freshly
// booted machine's file, which is then opened and used as any program would.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "ventoria/sim/machine_state.h"
#include "ventoria/sim/value_codec.h"
#include "ventoria/sim/virtual_mac.h"

using namespace ventoria::sim;

namespace {

void patch(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
    int fd = ::open(file.c_str(), O_RDWR);
    void* memory = mmap(nullptr, sizeof(MachineState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    auto* bytes = static_cast<std::uint8_t*>(memory);
    while (size >= 5) {
        std::uint32_t offset = 0;
        std::memcpy(&offset, data, 4);
        std::size_t length = std::min<std::size_t>(data[4], size - 5);
        offset %= sizeof(MachineState) - length;
        std::memcpy(bytes + offset, data + 5, length);
        data += 5 + length;
        size -= 5 + length;
    }
    munmap(memory, sizeof(MachineState));
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path root = [] {
        static std::string pattern = "/tmp/state_file_fuzz.XXXXXX";
        std::filesystem::path made(mkdtemp(pattern.data()));
        std::atexit([] {  // the fuzzer leaves through exit()
            std::error_code ignored;
            std::filesystem::remove_all(pattern, ignored);
        });
        return made;
    }();
    VirtualMac::create(root,
                       {.profile = Profile::appleSilicon, .clock = ClockMode::manual, .seed = 1});
    patch(VirtualMac::statePath(root), data, size);
    try {
        auto mac = VirtualMac::open(root);
        mac->snapshot();
        for (const char* key : {"FNum", "F0Ac", "F0Md", "Ftst", "Tp01", "#KEY"}) {
            std::uint8_t in[kParamSize] = {}, out[kParamSize] = {};
            auto code = codeOf(key);
            std::memcpy(in, &code, 4);
            in[42] = 9;  // key info, then the value
            std::size_t outSize = kParamSize;
            mac->call(kStructSelector, in, kParamSize, out, &outSize);
            in[42] = 5;
            outSize = kParamSize;
            mac->call(kStructSelector, in, kParamSize, out, &outSize);
        }
        mac->advance(std::chrono::seconds(1));
        mac->dump("F0Ac");
    } catch (const SimError&) {
        // Refusing the file is a fine answer.
    }
    return 0;
}
