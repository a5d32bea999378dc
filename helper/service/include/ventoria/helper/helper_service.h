#pragma once
// The helper's one service: it holds the desired fan mode and enforces it every 750 ms on its
// serial queue while clients are connected, and hands the fans back when the last one goes,
// when the process stops, and when it starts after a predecessor died holding them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "ventoria/hardware/fans.h"
#include "ventoria/hardware/thermals.h"
#include "ventoria/helper/control_timer.h"
#include "ventoria/ipc/fan_helper_protocol.h"
#include "ventoria/platform/machine_clock.h"
#include "ventoria/smart/smart_controller.h"

namespace ventoria::helper {

inline constexpr const char* kQueueLabel = "io.kestrand.ventoria.helper.smc";
inline constexpr std::chrono::milliseconds kTickPeriod{750};
// Smart gives the fans back to the machine once this many ticks in a row (about 4.5 s) have
// read no chip temperature: the machine's own controller can still see the chip.
inline constexpr int kBlindTicks = 6;

// Reply texts a user may read.
inline constexpr const char* kSMCUnavailable = "AppleSMC is unavailable";
inline constexpr const char* kNoFans = "No fans detected";
inline constexpr const char* kInvalidSmartSettings = "Invalid Smart settings";
inline constexpr const char* kStopping = "VentoriaHelper is stopping";

struct Fixed {
    double fraction;  // of each fan's maximum, already clamped to 0…1
};
struct Smart {
    std::shared_ptr<smart::SmartController> controller;
};
struct Auto {};
using Target = std::variant<Fixed, Smart, Auto>;

class HelperService final : public ipc::FanHelperProtocol,
                            public ipc::ConnectionDelegate,
                            public std::enable_shared_from_this<HelperService> {
  public:
    using Clock = std::function<platform::MachineClock::time_point()>;

    // Opens the SMC and finds the fans and sensors; without an SMC the service still runs and
    // refuses fan requests (and tries the SMC again on the next one). Touches no fan.
    static std::shared_ptr<HelperService> create(SerialQueue queue,
                                                 std::unique_ptr<ControlTimer> timer,
                                                 Clock clock = &platform::MachineClock::now);

    void version(Reply reply) override;
    void setFraction(double fraction, Reply reply) override;
    void setSmart(std::string settings, Reply reply) override;
    void smartStatus(Reply reply) override;
    void setAuto(Reply reply) override;

    // Queued ahead of the connection's first request, so no request runs before it counts.
    void connectionAccepted() override;
    void connectionInvalidated() override;

    // At start, before any client: fans that a predecessor left forced (it crashed, or was
    // killed) are handed back by the loop, which runs until the hardware is settled.
    void recoverFans();

    // The process is ending. From here on no request changes the target (fan requests are
    // answered kStopping), the loop stops, and the fans are handed back, a stage every few
    // milliseconds, until the hardware reports settled or `bound` has passed. `done` runs on
    // the queue with the outcome.
    void stop(std::chrono::milliseconds bound, std::function<void(bool settled)> done);

    // What the service holds; read these on the queue.
    const Target& desired() const { return desired_; }
    std::int64_t clients() const { return clients_; }
    bool ticking() const { return ticking_; }
    bool stopping() const { return stopping_; }
    bool hasSMC() const { return fans_.has_value(); }

  private:
    HelperService(SerialQueue queue, std::unique_ptr<ControlTimer> timer, Clock clock);

    template <typename Work>
    void onQueue(Work work);
    void openSMC();
    std::optional<std::string> refusal();
    void setTarget(Target target);
    void tick();
    void tickSmart(smart::SmartController& controller);

    SerialQueue queue_;
    std::optional<hardware::Fans> fans_;
    std::optional<hardware::Thermals> thermals_;
    std::int64_t clients_ = 0;
    Target desired_ = Auto{};
    bool ticking_ = false;
    bool stopping_ = false;
    std::unique_ptr<ControlTimer> timer_;
    Clock clock_;
};

}  // namespace ventoria::helper
