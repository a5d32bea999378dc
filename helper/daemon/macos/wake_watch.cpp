#include "wake_watch.h"

#include <IOKit/IOMessage.h>
#include <IOKit/pwr_mgt/IOPMLib.h>
#include <dispatch/dispatch.h>

#include <asio/post.hpp>

namespace ventoria::helper {

// The root power domain's messages, on a dispatch queue of their own; the wake is passed to
// the helper's I/O thread. A sleep is allowed at once: the helper holds nothing against it.
struct WakeWatch::System {
    System(asio::io_context& context, std::function<void()> onWake)
        : io(context), woke(std::move(onWake)) {
        root = IORegisterForSystemPower(this, &port, &System::onPower, &notifier);
        if (root == MACH_PORT_NULL) return;
        queue = dispatch_queue_create("io.kestrand.ventoria.helper.power", DISPATCH_QUEUE_SERIAL);
        IONotificationPortSetDispatchQueue(port, queue);
    }
    ~System() {
        if (root == MACH_PORT_NULL) return;
        IODeregisterForSystemPower(&notifier);
        IONotificationPortDestroy(port);
        IOServiceClose(root);
        dispatch_release(queue);
    }

    static void onPower(void* context, io_service_t, natural_t message, void* argument) {
        auto* self = static_cast<System*>(context);
        switch (message) {
            case kIOMessageCanSystemSleep:
            case kIOMessageSystemWillSleep:
                IOAllowPowerChange(self->root, reinterpret_cast<intptr_t>(argument));
                break;
            case kIOMessageSystemHasPoweredOn:
                asio::post(self->io, self->woke);
                break;
            default:
                break;
        }
    }

    asio::io_context& io;
    std::function<void()> woke;
    io_connect_t root = MACH_PORT_NULL;
    IONotificationPortRef port = nullptr;
    io_object_t notifier = 0;
    dispatch_queue_t queue = nullptr;
};

WakeWatch::WakeWatch(asio::io_context& io, std::function<void()> woke)
    : system_(std::make_unique<System>(io, std::move(woke))) {}

WakeWatch::~WakeWatch() = default;

bool WakeWatch::watching() const {
    return system_->root != MACH_PORT_NULL;
}

}  // namespace ventoria::helper
