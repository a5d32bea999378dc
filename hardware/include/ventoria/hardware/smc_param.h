#pragma once
// The record exchanged with the AppleSMC user client on every call: a wire format with the
// kernel, laid out byte for byte. Multi-byte fields are in the host's byte order.

#include <cstddef>
#include <cstdint>

namespace ventoria::hardware {

enum class SMCCommand : std::uint8_t {
    readBytes = 5,
    writeBytes = 6,
    keyAtIndex = 8,
    readKeyInfo = 9,
};

struct SMCParam {
    std::uint32_t key = 0;
    std::uint8_t versionBlock[6] = {};
    std::uint8_t alignment0[2] = {};
    std::uint8_t limitBlock[16] = {};
    std::uint32_t infoSize = 0;
    std::uint32_t infoType = 0;
    std::uint8_t infoAttributes = 0;
    std::uint8_t alignment1[3] = {};
    std::uint8_t result = 0;
    std::uint8_t status = 0;
    std::uint8_t command = 0;
    std::uint8_t alignment2 = 0;
    std::uint32_t index = 0;
    std::uint8_t bytes[32] = {};
};

static_assert(sizeof(SMCParam) == 80);
static_assert(offsetof(SMCParam, versionBlock) == 4);
static_assert(offsetof(SMCParam, limitBlock) == 12);
static_assert(offsetof(SMCParam, infoSize) == 28);
static_assert(offsetof(SMCParam, infoType) == 32);
static_assert(offsetof(SMCParam, infoAttributes) == 36);
static_assert(offsetof(SMCParam, result) == 40);
static_assert(offsetof(SMCParam, status) == 41);
static_assert(offsetof(SMCParam, command) == 42);
static_assert(offsetof(SMCParam, index) == 44);
static_assert(offsetof(SMCParam, bytes) == 48);

// The user client's struct-method selector for SMC commands.
inline constexpr std::uint32_t kSMCSelector = 2;
// The SMC's result code for a key it does not have.
inline constexpr std::uint8_t kSMCKeyNotFound = 132;

}  // namespace ventoria::hardware
