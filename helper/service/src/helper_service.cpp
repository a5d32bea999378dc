#include "ventoria/helper/helper_service.h"

#include <asio/post.hpp>
#include <cmath>
#include <thread>

#include "ventoria/ipc/protocol.h"

namespace ventoria::helper {

HelperService::HelperService(SerialQueue queue, std::unique_ptr<ControlTimer> timer, Clock clock)
    : queue_(std::move(queue)), timer_(std::move(timer)), clock_(std::move(clock)) {
    try {
        auto smc = std::make_shared<hardware::SMC>();
        fans_.emplace(smc);
        thermals_.emplace(smc);
    } catch (const hardware::SMCError&) {
        // No SMC: every fan request is answered "AppleSMC is unavailable".
    }
}

std::shared_ptr<HelperService> HelperService::create(SerialQueue queue,
                                                     std::unique_ptr<ControlTimer> timer,
                                                     Clock clock) {
    return std::shared_ptr<HelperService>(
        new HelperService(std::move(queue), std::move(timer), std::move(clock)));
}

template <typename Work>
void HelperService::onQueue(Work work) {
    asio::post(queue_, [weak = weak_from_this(), work = std::move(work)]() mutable {
        if (auto self = weak.lock()) work(*self);
    });
}

void HelperService::version(Reply reply) {
    reply(ipc::kProtocolVersion);
}

std::optional<std::string> HelperService::refusal() {
    if (!fans_) return kSMCUnavailable;
    if (fans_->fanCount() < 1) return kNoFans;
    return std::nullopt;
}

void HelperService::setFraction(double fraction, Reply reply) {
    onQueue([fraction, reply = std::move(reply)](HelperService& self) {
        if (auto refused = self.refusal()) return reply(refused);
        double clamped = fraction >= 0.0 ? std::min(fraction, 1.0) : 0.0;  // NaN is 0
        self.setTarget(Fixed{clamped});
        reply(std::nullopt);
    });
}

void HelperService::setSmart(std::string settings, Reply reply) {
    onQueue([settings = std::move(settings), reply = std::move(reply)](HelperService& self) {
        if (auto refused = self.refusal()) return reply(refused);
        auto decoded = smart::decodeSmartSettings(settings);
        if (!decoded) return reply(kInvalidSmartSettings);
        if (auto* running = std::get_if<Smart>(&self.desired_)) {
            running->controller->settings = *decoded;
        } else {
            self.setTarget(Smart{std::make_shared<smart::SmartController>(*decoded)});
        }
        reply(std::nullopt);
    });
}

void HelperService::smartStatus(Reply reply) {
    onQueue([reply = std::move(reply)](HelperService& self) {
        auto* running = std::get_if<Smart>(&self.desired_);
        reply(running ? smart::encode(running->controller->status()) : std::nullopt);
    });
}

void HelperService::setAuto(Reply reply) {
    onQueue([reply = std::move(reply)](HelperService& self) {
        self.setTarget(Auto{});
        reply(std::nullopt);
    });
}

void HelperService::connectionAccepted() {
    onQueue([](HelperService& self) { ++self.clients_; });
}

void HelperService::connectionInvalidated() {
    onQueue([](HelperService& self) {
        if (--self.clients_ <= 0) self.setTarget(Auto{});
    });
}

void HelperService::setTarget(Target target) {
    desired_ = std::move(target);
    if (ticking_) return;  // the next tick picks the new target up
    ticking_ = true;
    timer_->start([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->tick();
    });
}

void HelperService::tick() {
    if (!fans_) return;
    if (auto* fixed = std::get_if<Fixed>(&desired_)) {
        fans_->apply(fixed->fraction);
    } else if (auto* running = std::get_if<Smart>(&desired_)) {
        auto reading = thermals_->sample();
        int pressure = thermals_->pressureLevel();
        auto now = clock_().time_since_epoch();
        fans_->apply(running->controller->step(reading.chip, reading.chassis, pressure, now));
    } else if (fans_->apply(std::nullopt)) {
        timer_->cancel();  // handed back and confirmed: the loop ends
        ticking_ = false;
    }
}

void HelperService::handBack(std::chrono::milliseconds bound,
                             std::function<void(bool settled)> done) {
    onQueue([bound, done = std::move(done)](HelperService& self) {
        self.desired_ = Auto{};
        if (self.ticking_) self.timer_->cancel();
        self.ticking_ = false;
        if (!self.fans_) return done(true);
        auto deadline = std::chrono::steady_clock::now() + bound;
        bool settled = self.fans_->apply(std::nullopt);
        while (!settled && std::chrono::steady_clock::now() < deadline) {
            // Each call moves the hardware one stage; give it a moment between stages.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            settled = self.fans_->apply(std::nullopt);
        }
        done(settled);
    });
}

}  // namespace ventoria::helper
