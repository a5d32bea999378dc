#pragma once
// The helper's one service: it holds each client's choice, enforces the latest every 750 ms
// on its serial queue, and hands the fans back when no client holds a choice any more, when
// the process stops, and when it starts after a predecessor died holding them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <variant>

#include "ventoria/hardware/fans.h"
#include "ventoria/hardware/smc_fans.h"
#include "ventoria/hardware/thermals.h"
#include "ventoria/helper/client_choices.h"
#include "ventoria/helper/control_timer.h"
#include "ventoria/helper/target.h"
#include "ventoria/ipc/fan_helper_protocol.h"
#include "ventoria/platform/machine_clock.h"
#include "ventoria/smart/smart_controller.h"

namespace ventoria::helper {

inline constexpr const char* kQueueLabel = "io.kestrand.ventoria.helper.smc";
inline constexpr std::chrono::milliseconds kTickPeriod{750};
// Smart gives the fans back to the machine once this many ticks in a row (about 4.5 s) have
// read no chip temperature: the machine's own controller can still see the chip.
inline constexpr int kBlindTicks = 6;
// While the SMC is away and the fans may still be forced, the loop tries to open it again
// after 1, 2, 4 and then every 8 ticks (6 s): soon after it returns, at the cost of one
// failed look-up now and then.
inline constexpr int kSMCRetryLongestTicks = 8;
// While a choice is in force, whether another program has started driving the fans is looked
// at every this many ticks (6 s): a look lists every process.
inline constexpr int kWriterCheckTicks = 8;
// Between the stages of a hand-back at exit: long enough for the SMC to take a stage in.
inline constexpr std::chrono::milliseconds kStopStagePause{20};
// The hand-back at exit is given this long from the signal: long enough for its three stages
// on any Mac, short enough that launchd (or systemd) does not lose patience with a stopping
// job. It holds however slow the SMC is.
inline constexpr std::chrono::seconds kHandBackBound{3};

// Reply texts a user may read.
inline constexpr const char* kSMCUnavailable = hardware::kSMCUnavailable;
inline constexpr const char* kNoFans = "No fans detected";
inline constexpr const char* kInvalidSmartSettings = "Invalid Smart settings";
inline constexpr const char* kStopping = "VentoriaHelper is stopping";

// The clocks the service reads, which tests drive by hand.
struct ServiceClocks {
    // The machine's time, for the fans' layout and Smart's smoothing.
    std::function<platform::MachineClock::time_point()> machine = &platform::MachineClock::now;
    // The process's own, for what peers are owed: whether a requester still waits.
    std::function<std::chrono::steady_clock::time_point()> steady = &std::chrono::steady_clock::now;
    // The wait between the stages of the hand-back at exit, on the queue's thread.
    std::function<void(std::chrono::milliseconds)> pause = [](std::chrono::milliseconds span) {
        std::this_thread::sleep_for(span);
    };
};

class HelperService final : public ipc::FanHelperProtocol,
                            public ipc::ConnectionDelegate,
                            public std::enable_shared_from_this<HelperService> {
  public:
    using Clocks = ServiceClocks;

    // Opens the SMC and finds the fans and sensors; without an SMC the service still runs and
    // refuses fan requests (and tries the SMC again on the next one). Touches no fan.
    static std::shared_ptr<HelperService> create(SerialQueue queue,
                                                 std::unique_ptr<ControlTimer> timer,
                                                 Clocks clocks = {});

    void handle(const ipc::Requester& from, ipc::Version,
                ipc::Respond<ipc::Version> reply) override;
    void handle(const ipc::Requester& from, ipc::SetFraction message,
                ipc::Respond<ipc::SetFraction> reply) override;
    void handle(const ipc::Requester& from, ipc::SetSmart message,
                ipc::Respond<ipc::SetSmart> reply) override;
    void handle(const ipc::Requester& from, ipc::SmartStatus,
                ipc::Respond<ipc::SmartStatus> reply) override;
    void handle(const ipc::Requester& from, ipc::SetAuto,
                ipc::Respond<ipc::SetAuto> reply) override;

    // Queued ahead of the connection's first request, so no request runs before it counts.
    void connectionAccepted(ipc::ClientId client) override;
    void connectionInvalidated(ipc::ClientId client) override;

    // At start, before any client: fans that a predecessor left forced (it crashed, or was
    // killed) are handed back by the loop, which runs until the hardware is settled. Without
    // an SMC the loop keeps trying to open it, for the fans may be forced all the same.
    void recoverFans();

    // The machine woke from sleep, which may have cleared every fan's manual mode: a choice
    // in force is enforced now, not at the next tick.
    void machineWoke();

    // The process is ending. From here on no request changes the target (fan requests are
    // answered kStopping), the loop stops, and the fans are handed back, a stage every few
    // milliseconds (kStopStagePause), until the hardware reports settled or kHandBackBound has
    // passed since this call. `done` runs on the queue with the outcome.
    void stop(std::function<void(bool settled)> done);

    // What the service holds; read these on the queue. The desired target is the latest
    // choice of a client still holding one (client_choices.h).
    const Target& desired() const { return desired_; }
    std::int64_t clients() const { return clients_; }
    bool ticking() const { return ticking_; }
    bool hasSMC() const { return fans_.has_value(); }

  private:
    HelperService(SerialQueue queue, std::unique_ptr<ControlTimer> timer, Clocks clocks);

    template <typename Work>
    void onQueue(Work work);
    // Runs `work` on the queue only if `from` still waits for its answer when its turn comes.
    template <typename Work>
    void forRequester(const ipc::Requester& from, Work work);
    bool openSMC();
    bool smcAnswers();
    void retrySMC();
    // Why a fan request cannot be carried out; nothing when it can. Without `needsFans`, only
    // an unreachable SMC is a reason: handing back needs nothing else.
    std::optional<std::string> refusal(bool needsFans = true);
    void setTarget(Target target);
    // The choices changed: the latest is in force from the next tick.
    void follow();
    void tick();
    bool yieldToAnotherWriter();
    void tickDesired();
    void tickSmart(smart::SmartController& controller);

    SerialQueue queue_;
    std::optional<hardware::Fans> fans_;
    std::optional<hardware::Thermals> thermals_;
    std::int64_t clients_ = 0;
    ClientChoices choices_;
    Target desired_ = Auto{};
    bool ticking_ = false;
    bool stopping_ = false;
    std::unique_ptr<ControlTimer> timer_;
    Clocks clocks_;
    int smcRetryInterval_ = 1;  // ticks between tries to open an absent SMC
    int ticksToSMCRetry_ = 1;
    int ticksToWriterCheck_ = kWriterCheckTicks;
    bool yielded_ = false;  // another program took the fans, and no choice has been made since
};

}  // namespace ventoria::helper
