#include "ventoria/hardware/smc.h"

#include <algorithm>

#include "ventoria/hardware/smc_codec.h"

namespace ventoria::hardware {

void SMC::write(const std::string& key, const std::vector<std::uint8_t>& bytes) {
    auto info = keyInfo(key);
    SMCParam input;
    input.key = fourCharCode(key);
    input.infoSize = info.size;
    input.command = static_cast<std::uint8_t>(SMCCommand::writeBytes);
    auto count = std::min({bytes.size(), std::size_t{info.size}, sizeof input.bytes});
    std::copy_n(bytes.begin(), count, input.bytes);
    callSMC(input, key);
}

}  // namespace ventoria::hardware
