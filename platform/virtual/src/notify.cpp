// The notification-service stand-in: only the thermal pressure level is published, and its
// state is the virtual Mac's pressure level.

#include <notify.h>

#include <cstring>

#include "current_machine.h"

namespace {

constexpr const char* kThermalPressure = "com.apple.system.thermalpressurelevel";
constexpr int kThermalPressureToken = 1;
constexpr int kQuietToken = 2;  // any other name: registered, but nobody publishes a state

}  // namespace

uint32_t notify_register_check(const char* name, int* out_token) {
    if (!name || !out_token) return NOTIFY_STATUS_FAILED;
    *out_token = std::strcmp(name, kThermalPressure) == 0 ? kThermalPressureToken : kQuietToken;
    return NOTIFY_STATUS_OK;
}

uint32_t notify_get_state(int token, uint64_t* state64) {
    if (token != kThermalPressureToken && token != kQuietToken) return NOTIFY_STATUS_INVALID_TOKEN;
    if (!state64) return NOTIFY_STATUS_FAILED;
    if (token == kQuietToken) {
        *state64 = 0;
        return NOTIFY_STATUS_OK;
    }
    try {
        *state64 = static_cast<uint64_t>(ventoria::platform::currentMachine()->pressureLevel());
    } catch (const std::exception&) {
        return NOTIFY_STATUS_FAILED;
    }
    return NOTIFY_STATUS_OK;
}
