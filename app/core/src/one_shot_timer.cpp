#include "ventoria/app/one_shot_timer.h"

#include <QTimer>

namespace ventoria::app {
namespace {

class EventLoopTimer final : public OneShotTimer {
  public:
    EventLoopTimer() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);  // to the millisecond: a coarse one may end 5% early
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto fire = std::exchange(fire_, nullptr)) fire();
        });
    }

    void start(std::chrono::milliseconds after, std::function<void()> fire) override {
        fire_ = std::move(fire);
        timer_.start(after);
    }
    void stop() override {
        timer_.stop();
        fire_ = nullptr;
    }

  private:
    QTimer timer_;
    std::function<void()> fire_;
};

}  // namespace

std::unique_ptr<OneShotTimer> eventLoopTimer() {
    return std::make_unique<EventLoopTimer>();
}

}  // namespace ventoria::app
