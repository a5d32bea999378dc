#pragma once
// A helper service on the apple-silicon virtual Mac (manual clock), brought to a steady state
// in one of its modes, whose ticks a benchmark can fire one by one.

#include <asio/io_context.hpp>
#include <asio/strand.hpp>
#include <memory>
#include <string>

#include "manual_timer.h"
#include "temporary_root.h"
#include "ventoria/helper/helper_service.h"
#include "ventoria/sim/virtual_mac.h"

namespace ventoria::bench {

enum class TickMode {
    fixed,       // a fixed fraction, already in place
    smartBoost,  // Smart holding a level, already in place
    smartIdle,   // Smart with the fans handed back: automatic and settled
};

class HelperRig {
  public:
    explicit HelperRig(TickMode mode);

    void tick();
    sim::VirtualMac& machine() { return *mac_; }

  private:
    test::TemporaryRoot root_;  // first: the machine lives under it
    std::shared_ptr<sim::VirtualMac> mac_;
    asio::io_context io_;
    test::ManualTimer* timer_ = nullptr;
    std::shared_ptr<helper::HelperService> service_;
};

}  // namespace ventoria::bench
