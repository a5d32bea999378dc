#include "helper_rig.h"

namespace ventoria::bench {

HelperRig::HelperRig(TickMode mode)
    : mac_(sim::VirtualMac::create(
          root_.path(),
          {.profile = sim::Profile::appleSilicon, .clock = sim::ClockMode::manual, .seed = 1})) {
    auto timer = std::make_unique<test::ManualTimer>();
    timer_ = timer.get();
    service_ = helper::HelperService::create(asio::make_strand(io_), std::move(timer));
    auto ignore = [](ipc::Outcome) {};
    ipc::Requester from{.client = 1};
    switch (mode) {
        case TickMode::fixed:
            service_->handle(from, ipc::SetFraction{0.6}, ignore);
            break;
        case TickMode::smartBoost:
            service_->handle(from, ipc::SetSmart{{R"({"minimum":40,"aggressiveness":"normal"})"}},
                             ignore);
            break;
        case TickMode::smartIdle:
            service_->handle(from, ipc::SetSmart{{R"({"minimum":0,"aggressiveness":"normal"})"}},
                             ignore);
            break;
    }
    io_.poll();
    for (int i = 0; i < 5; ++i) tick();  // reach the steady state
}

void HelperRig::tick() {
    timer_->fire();
}

}  // namespace ventoria::bench
