#include "private_system_bus.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "helper_process.h"
#include "process.h"

extern char** environ;

namespace ventoria::test {

PrivateSystemBus::PrivateSystemBus()
    : address_("unix:path=" + (directory_.path() / "bus").string()) {
    std::string listen = "--address=" + address_;
    const char* argv[] = {"/usr/bin/dbus-daemon", "--session", "--nofork", listen.c_str(), nullptr};
    if (posix_spawn(&daemon_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        throw std::runtime_error("cannot start dbus-daemon");
    }
    if (!eventually([&] { return std::filesystem::exists(directory_.path() / "bus"); })) {
        stop();
        throw std::runtime_error("dbus-daemon made no socket");
    }
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSystemBus::~PrivateSystemBus() {
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    stop();
}

bool PrivateSystemBus::prepareForSleep(bool sleeping) const {
    return run({"/usr/bin/dbus-send", "--bus=" + address_, "--type=signal",
                "/org/freedesktop/login1", "org.freedesktop.login1.Manager.PrepareForSleep",
                sleeping ? "boolean:true" : "boolean:false"})
               .status == 0;
}

void PrivateSystemBus::stop() {
    if (daemon_ <= 0) return;
    kill(daemon_, SIGTERM);
    waitpid(daemon_, nullptr, 0);
    daemon_ = -1;
}

}  // namespace ventoria::test
