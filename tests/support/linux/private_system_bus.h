#pragma once
// A private bus daemon standing in for the system bus (DBUS_SYSTEM_BUS_ADDRESS names it while
// it runs), so that tests of logind's signals never touch the machine's own bus.

#include <sys/types.h>

#include <string>

#include "temporary_root.h"

namespace ventoria::test {

class PrivateSystemBus {
  public:
    PrivateSystemBus();  // throws when the daemon cannot be started
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    // logind's PrepareForSleep(sleeping) on this bus; false when it could not be sent.
    bool prepareForSleep(bool sleeping) const;
    // Ends the daemon, as a restarted dbus-daemon would.
    void stop();

  private:
    TemporaryRoot directory_;
    std::string address_;
    pid_t daemon_ = -1;
};

}  // namespace ventoria::test
