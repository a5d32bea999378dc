#pragma once
// The helper's one service: it holds the desired fan mode and enforces it every 750 ms on its
// serial queue while clients are connected, and hands the fans back when the last one goes.

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

// Reply texts a user may read.
inline constexpr const char* kSMCUnavailable = "AppleSMC is unavailable";
inline constexpr const char* kNoFans = "No fans detected";
inline constexpr const char* kInvalidSmartSettings = "Invalid Smart settings";

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
    // refuses fan requests. Touches no fan.
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

    // The process is ending: automatic control, repeated until the hardware reports settled
    // or `bound` has passed. `done` runs on the queue with the outcome.
    void handBack(std::chrono::milliseconds bound, std::function<void(bool settled)> done);

    // What the service holds; read these on the queue.
    const Target& desired() const { return desired_; }
    std::int64_t clients() const { return clients_; }
    bool ticking() const { return ticking_; }
    bool hasSMC() const { return fans_.has_value(); }

  private:
    HelperService(SerialQueue queue, std::unique_ptr<ControlTimer> timer, Clock clock);

    template <typename Work>
    void onQueue(Work work);
    std::optional<std::string> refusal();
    void setTarget(Target target);
    void tick();

    SerialQueue queue_;
    std::optional<hardware::Fans> fans_;
    std::optional<hardware::Thermals> thermals_;
    std::int64_t clients_ = 0;
    Target desired_ = Auto{};
    bool ticking_ = false;
    std::unique_ptr<ControlTimer> timer_;
    Clock clock_;
};

}  // namespace ventoria::helper
