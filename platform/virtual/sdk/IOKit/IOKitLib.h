#pragma once
// The part of IOKit's user-client interface that talking to the SMC needs, with the names,
// types and signatures of the macOS SDK. On Linux the virtual Mac answers these calls.

#include <cstddef>
#include <cstdint>

extern "C" {

typedef int kern_return_t;
typedef unsigned int mach_port_t;
typedef mach_port_t task_port_t;
typedef mach_port_t io_object_t;
typedef io_object_t io_service_t;
typedef io_object_t io_connect_t;
typedef struct __CFDictionary* CFMutableDictionaryRef;
typedef const struct __CFDictionary* CFDictionaryRef;

#define KERN_SUCCESS 0
#define kIOReturnSuccess KERN_SUCCESS
#define kIOReturnError ((kern_return_t)0xE00002BC)
#define kIOReturnNoDevice ((kern_return_t)0xE00002C0)
#define kIOReturnBadArgument ((kern_return_t)0xE00002C2)
#define kIOReturnNotOpen ((kern_return_t)0xE00002CD)

#define MACH_PORT_NULL 0
extern const mach_port_t kIOMainPortDefault;
extern mach_port_t mach_task_self_;

CFMutableDictionaryRef IOServiceMatching(const char* name);
// Consumes one reference to `matching`.
io_service_t IOServiceGetMatchingService(mach_port_t mainPort, CFDictionaryRef matching);
kern_return_t IOServiceOpen(io_service_t service, task_port_t owningTask, uint32_t type,
                            io_connect_t* connect);
kern_return_t IOServiceClose(io_connect_t connect);
kern_return_t IOObjectRelease(io_object_t object);
kern_return_t IOConnectCallStructMethod(mach_port_t connection, uint32_t selector,
                                        const void* inputStruct, size_t inputStructCnt,
                                        void* outputStruct, size_t* outputStructCnt);
}
