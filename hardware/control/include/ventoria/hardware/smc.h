#pragma once
// The helper's SMC connection: everything the reader has, plus writing. Only the helper
// links this; the application cannot reach it.

#include <cstdint>
#include <string>
#include <vector>

#include "ventoria/hardware/smc_reader.h"

namespace ventoria::hardware {

class SMC : public SMCReader {
  public:
    using SMCReader::SMCReader;

    // Stores up to the key's size (at most 32) of `bytes`, zero-filled. Nothing is read back.
    // Throws SMCError.
    void write(const std::string& key, const std::vector<std::uint8_t>& bytes);
};

}  // namespace ventoria::hardware
