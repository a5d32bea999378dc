#include "wake_watch.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <asio/posix/stream_descriptor.hpp>

namespace ventoria::helper {

// logind's PrepareForSleep(false) on the system bus, read on the helper's I/O thread. Any
// sender's signal is taken, not only logind's: a forged one costs one extra tick.
struct WakeWatch::System {
    System(asio::io_context& context, std::function<void()> onWake)
        : descriptor(context), woke(std::move(onWake)) {
        if (sd_bus_open_system(&bus) < 0) return;
        if (sd_bus_match_signal(bus, &slot, nullptr, "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager", "PrepareForSleep",
                                &System::onSignal, this) < 0) {
            return;
        }
        int fd = ::dup(sd_bus_get_fd(bus));  // the descriptor closes its own copy
        if (fd < 0) return;
        descriptor.assign(fd);
        if (processAll()) wait();  // what arrived with the match's reply is taken too
    }
    ~System() {
        asio::error_code ignored;
        descriptor.close(ignored);
        sd_bus_slot_unref(slot);
        sd_bus_flush_close_unref(bus);
    }

    void wait() {
        descriptor.async_wait(asio::posix::stream_descriptor::wait_read,
                              [this](const asio::error_code& error) {
                                  if (!error && processAll()) wait();
                              });
    }

    // Every message read so far; false, and the watch let go, once the bus has gone (a
    // restarted dbus-daemon): its descriptor would read as ready for ever, and the tick
    // re-asserts after a wake all the same.
    bool processAll() {
        int processed = 0;
        while ((processed = sd_bus_process(bus, nullptr)) > 0) {
        }
        if (processed == 0) return true;
        asio::error_code ignored;
        descriptor.close(ignored);
        return false;
    }

    static int onSignal(sd_bus_message* message, void* data, sd_bus_error*) {
        int sleeping = 0;
        if (sd_bus_message_read(message, "b", &sleeping) >= 0 && !sleeping) {
            static_cast<System*>(data)->woke();
        }
        return 0;
    }

    sd_bus* bus = nullptr;
    sd_bus_slot* slot = nullptr;
    asio::posix::stream_descriptor descriptor;
    std::function<void()> woke;
};

WakeWatch::WakeWatch(asio::io_context& io, std::function<void()> woke)
    : system_(std::make_unique<System>(io, std::move(woke))) {}

WakeWatch::~WakeWatch() = default;

bool WakeWatch::watching() const {
    return system_->descriptor.is_open();
}

}  // namespace ventoria::helper
