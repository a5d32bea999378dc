#include "ventoria/helper/helper_service.h"

#include <asio/post.hpp>
#include <cmath>
#include <iostream>

#include "ventoria/hardware/control_ports.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::helper {
HelperService::HelperService(SerialQueue queue, std::unique_ptr<ControlTimer> timer, Clocks clocks)
    : queue_(std::move(queue)), timer_(std::move(timer)), clocks_(std::move(clocks)) {
    openSMC();
}

std::shared_ptr<HelperService> HelperService::create(SerialQueue queue,
                                                     std::unique_ptr<ControlTimer> timer,
                                                     Clocks clocks) {
    return std::shared_ptr<HelperService>(
        new HelperService(std::move(queue), std::move(timer), std::move(clocks)));
}

// A connection that was open stays dead once its service has gone, even when the service comes
// back: only a new connection reaches the new service. It replaces the old one only when it
// answers better, and takes over which fans are ours to hand back.
bool HelperService::openSMC() {
    try {
        auto ports = hardware::openControlPorts();
        hardware::Fans fresh(ports.fans, clocks_.machine);
        if (fans_ && !fresh.knownFanCount()) return false;  // no better than the one we have
        if (fans_) fresh.takeOver(*fans_);
        fans_.emplace(std::move(fresh));
        thermals_.emplace(ports.temperatures, clocks_.machine);
        smcRetryInterval_ = ticksToSMCRetry_ = 1;
        return true;
    } catch (const hardware::SMCError&) {
        // No SMC: fan requests are answered "AppleSMC is unavailable" until it opens.
        return false;
    }
}

bool HelperService::smcAnswers() {
    return fans_ && fans_->knownFanCount();
}

// The loop's way back to an SMC that was away: not every tick, since nothing but time brings
// it back, but soon enough that fans left forced do not stay so for long.
void HelperService::retrySMC() {
    if (--ticksToSMCRetry_ > 0 || openSMC()) return;
    smcRetryInterval_ = std::min(smcRetryInterval_ * 2, kSMCRetryLongestTicks);
    ticksToSMCRetry_ = smcRetryInterval_;
}

template <typename Work>
void HelperService::onQueue(Work work) {
    asio::post(queue_, [weak = weak_from_this(), work = std::move(work)]() mutable {
        if (auto self = weak.lock()) work(*self);
    });
}

template <typename Work>
void HelperService::forRequester(const ipc::Requester& from, Work work) {
    onQueue([from, work = std::move(work)](HelperService& self) mutable {
        // Its client has gone or stopped waiting: whatever it asked for is nobody's wish now.
        if (!from.waiting(self.clocks_.steady())) return;
        work(self);
    });
}

void HelperService::handle(const ipc::Requester&, ipc::Version, ipc::Respond<ipc::Version> reply) {
    reply(ipc::kProtocolVersion);
}

std::optional<std::string> HelperService::refusal(bool needsFans) {
    if (stopping_) return kStopping;
    // An SMC that was open may have gone since: one read says whether it still answers, so
    // that no request is accepted that the loop could not carry out. A request, not a tick,
    // is worth another try at once.
    if (!smcAnswers() && (!openSMC() || !smcAnswers())) {
        return fans_ ? fans_->unavailable() : kSMCUnavailable;
    }
    if (!needsFans) return std::nullopt;
    if (fans_->fanCount() < 1) return kNoFans;
    return fans_->refusal();
}

void HelperService::handle(const ipc::Requester& from, ipc::SetFraction message,
                           ipc::Respond<ipc::SetFraction> reply) {
    forRequester(from, [client = from.client, fraction = message.fraction,
                        reply = std::move(reply)](HelperService& self) {
        if (auto refused = self.refusal()) return reply(refused);
        double clamped = fraction >= 0.0 ? std::min(fraction, 1.0) : 0.0;  // NaN is 0
        self.choices_.choose(client, Fixed{clamped});
        self.follow();
        reply(std::nullopt);
    });
}

void HelperService::handle(const ipc::Requester& from, ipc::SetSmart message,
                           ipc::Respond<ipc::SetSmart> reply) {
    forRequester(from, [client = from.client, settings = std::move(message.settings.data),
                        reply = std::move(reply)](HelperService& self) {
        if (auto refused = self.refusal()) return reply(refused);
        auto decoded = smart::decodeSmartSettings(settings);
        if (!decoded) return reply(kInvalidSmartSettings);
        // The client's own Smart goes on with new settings, its level and timers kept.
        const auto* held = self.choices_.of(client);
        const auto* running = held ? std::get_if<Smart>(held) : nullptr;
        auto controller =
            running ? running->controller : std::make_shared<smart::SmartController>(*decoded);
        controller->settings = *decoded;
        self.choices_.choose(client, Smart{controller});
        self.follow();
        reply(std::nullopt);
    });
}

void HelperService::handle(const ipc::Requester&, ipc::SmartStatus,
                           ipc::Respond<ipc::SmartStatus> reply) {
    onQueue([reply = std::move(reply)](HelperService& self) {
        auto* running = std::get_if<Smart>(&self.desired_);
        std::optional<ipc::Bytes> status;
        if (running) {
            if (auto json = smart::encode(running->controller->status()))
                status = ipc::Bytes{*json};
        }
        reply(status);
    });
}

// Handing back needs the SMC like any other request: without it nothing is handed back, and
// the client must hear so. The wish stands all the same, and the loop acts on it once the
// SMC is there again.
void HelperService::handle(const ipc::Requester& from, ipc::SetAuto,
                           ipc::Respond<ipc::SetAuto> reply) {
    forRequester(from, [client = from.client, reply = std::move(reply)](HelperService& self) {
        if (self.stopping_) return reply(std::nullopt);  // the hand-back at exit is under way
        auto refused = self.refusal(false);
        self.choices_.withdraw(client);
        self.follow();
        reply(refused);
    });
}

void HelperService::connectionAccepted(ipc::ClientId) {
    onQueue([](HelperService& self) { ++self.clients_; });
}

void HelperService::connectionInvalidated(ipc::ClientId client) {
    onQueue([client](HelperService& self) {
        --self.clients_;
        self.choices_.withdraw(client);
        self.follow();
    });
}

void HelperService::recoverFans() {
    onQueue([](HelperService& self) {
        if (self.ticking_) return;
        // One look: settled means nothing was forced and nothing had to be written. Without
        // an SMC there is no look to take, and the loop waits for it.
        if (!self.fans_ || !self.fans_->apply(std::nullopt)) self.setTarget(Auto{});
    });
}

void HelperService::machineWoke() {
    onQueue([](HelperService& self) {
        if (self.ticking_ && !self.stopping_) self.tick();
    });
}

void HelperService::follow() {
    setTarget(choices_.inForce());
}

void HelperService::setTarget(Target target) {
    if (stopping_) return;  // the hand-back at exit has the last word
    // After yielding, the fans are the other program's: the choices going (a client leaving,
    // handing back) start no hand-back that would undo what it set. A new choice, accepted
    // only once the other program has gone, makes them ours again.
    yielded_ = yielded_ && std::holds_alternative<Auto>(target);
    desired_ = std::move(target);
    if (yielded_) return;
    if (ticking_) return;  // the next tick picks the new target up
    ticking_ = true;
    timer_->start([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->tick();
    });
}

void HelperService::tick() {
    if (!fans_) retrySMC();
    if (!fans_ || yieldToAnotherWriter()) return;
    tickDesired();
    // The step could not even count the fans: the connection may be one whose service has
    // gone, and a new one is tried now and then.
    if (!fans_->countKnown()) retrySMC();
}

// Another program that took to driving the fans while a choice was in force would have every
// target fought over: the helper drops the choices and writes nothing more, not even a
// hand-back, and each client hears why at its next request.
bool HelperService::yieldToAnotherWriter() {
    if (std::holds_alternative<Auto>(desired_) || --ticksToWriterCheck_ > 0) return false;
    ticksToWriterCheck_ = kWriterCheckTicks;
    auto refused = fans_->refusal();
    if (!refused) return false;
    std::cerr << "VentoriaHelper: " << *refused << "\n";
    yielded_ = true;
    choices_.clear();
    desired_ = Auto{};
    timer_->cancel();
    ticking_ = false;
    return true;
}

void HelperService::tickDesired() {
    if (auto* fixed = std::get_if<Fixed>(&desired_)) {
        fans_->apply(fixed->fraction);
    } else if (auto* running = std::get_if<Smart>(&desired_)) {
        tickSmart(*running->controller);
    } else if (fans_->apply(std::nullopt)) {
        timer_->cancel();  // handed back and confirmed: the loop ends
        ticking_ = false;
    }
}

void HelperService::tickSmart(smart::SmartController& controller) {
    auto reading = thermals_->sample();
    auto now = clocks_.machine().time_since_epoch();
    if (thermals_->chipMisses() >= kBlindTicks) {
        // The last chip value grows staler by the tick while the chip may be heating: the
        // machine, which can still see it, takes the fans back.
        controller.loseChip(now);
        fans_->apply(std::nullopt);
        return;
    }
    int pressure = thermals_->pressureLevel();
    fans_->apply(controller.step(reading.chip, reading.chassis, pressure, now));
}

void HelperService::stop(std::function<void(bool settled)> done) {
    auto deadline = clocks_.steady() + kHandBackBound;
    onQueue([deadline, done = std::move(done)](HelperService& self) {
        self.choices_.clear();
        self.desired_ = Auto{};
        self.stopping_ = true;
        if (self.ticking_) self.timer_->cancel();
        self.ticking_ = false;
        if (!self.fans_ || self.yielded_) return done(true);  // nothing of ours to hand back
        bool settled = self.fans_->apply(std::nullopt);
        while (!settled && self.clocks_.steady() < deadline) {
            self.clocks_.pause(kStopStagePause);
            settled = self.fans_->apply(std::nullopt);
        }
        done(settled);
    });
}

}  // namespace ventoria::helper
