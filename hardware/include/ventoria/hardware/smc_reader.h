#pragma once
// The connection to the AppleSMC kernel service, as far as reading goes. This is all the
// application has: it never writes to the SMC. The helper's SMC extends it with writing.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ventoria/hardware/smc_error.h"
#include "ventoria/hardware/smc_param.h"

namespace ventoria::hardware {

// Real SMCs hold a few thousand keys; "#KEY" claiming more is not believed.
inline constexpr std::uint32_t kMaxKeyCount = 8192;

struct KeyInfo {
    std::uint32_t size = 0;
    std::string type;  // four characters, blanks included ("flt ", "ui8 ")

    bool operator==(const KeyInfo&) const = default;
};

struct KeyBytes {
    KeyInfo info;
    std::vector<std::uint8_t> bytes;  // min(size, 32) bytes
};

class SMCReader {
  public:
    // Opens the service. Throws SMCError::serviceNotFound or SMCError::openFailed.
    SMCReader();
    virtual ~SMCReader();
    SMCReader(const SMCReader&) = delete;
    SMCReader& operator=(const SMCReader&) = delete;

    // The key's size and type. Cached after the first success; a failure is tried afresh
    // next time. Throws SMCError.
    KeyInfo keyInfo(const std::string& key);
    // keyInfo, with absence as a value: nothing when the SMC has no such key. Any other failure
    // throws SMCError, so a key that merely failed to answer is never taken for a missing one.
    std::optional<KeyInfo> findKey(const std::string& key);
    // The key's bytes, read through keyInfo. Throws SMCError.
    KeyBytes read(const std::string& key);
    // Every key name in index order, at most kMaxKeyCount of them; keys whose lookup fails are
    // left out. Never throws.
    std::vector<std::string> allKeys();
    // The name of the key at `index`, or nothing on any failure. Never throws.
    std::optional<std::string> keyAt(std::uint32_t index);

  protected:
    // One kernel call. `label` names the key in errors. Throws SMCError.
    SMCParam callSMC(const SMCParam& input, const std::string& label);

  private:
    // The IOKit connection (an io_connect_t, a Mach port name): held as a plain number so that
    // IOKit's header stays in the implementation and out of everything that reads the SMC.
    std::uint32_t connection_ = 0;
    std::unordered_map<std::string, KeyInfo> infoCache_;
};

}  // namespace ventoria::hardware
