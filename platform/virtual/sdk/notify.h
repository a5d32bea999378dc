#pragma once
// The two calls of the system notification service that reading the thermal pressure level
// needs, with the names and signatures of the macOS SDK. On Linux the virtual Mac answers.

#include <cstdint>

extern "C" {

#define NOTIFY_STATUS_OK 0
#define NOTIFY_STATUS_INVALID_NAME 1
#define NOTIFY_STATUS_INVALID_TOKEN 2
#define NOTIFY_STATUS_FAILED 1000000

uint32_t notify_register_check(const char* name, int* out_token);
uint32_t notify_get_state(int token, uint64_t* state64);
}
