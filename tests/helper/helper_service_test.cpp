#include "ventoria/helper/helper_service.h"

#include <gtest/gtest.h>

#include <asio/io_context.hpp>
#include <asio/strand.hpp>
#include <cmath>

#include "manual_timer.h"
#include "virtual_mac_test.h"

namespace ventoria::helper {
namespace {

using testing::ManualTimer;
using testing::VirtualMacTest;
using Answer = std::optional<std::string>;

class HelperServiceTest : public VirtualMacTest {
  protected:
    explicit HelperServiceTest(sim::Profile profile = sim::Profile::appleSilicon)
        : VirtualMacTest(profile) {
        auto manual = std::make_unique<ManualTimer>();
        timer = manual.get();
        service = HelperService::create(queue, std::move(manual));
    }

    // Sends one command and runs the queue until it has answered.
    template <typename Send>
    Answer ask(Send send) {
        std::optional<Answer> answer;
        send([&answer](Answer value) {
            EXPECT_FALSE(answer) << "answered twice";
            answer = std::move(value);
        });
        io.poll();
        io.restart();
        EXPECT_TRUE(answer) << "never answered";
        return answer.value_or(Answer{});
    }
    Answer fraction(double f) {
        return ask([&](auto reply) { service->setFraction(f, reply); });
    }
    Answer smartRequest(const std::string& json) {
        return ask([&](auto reply) { service->setSmart(json, reply); });
    }
    Answer status() {
        return ask([&](auto reply) { service->smartStatus(reply); });
    }
    Answer setAuto() {
        return ask([&](auto reply) { service->setAuto(reply); });
    }
    void connect() {
        run([&] { service->connectionAccepted(); });
    }
    void disconnect() {
        run([&] { service->connectionInvalidated(); });
    }
    template <typename Work>
    void run(Work work) {
        work();
        io.poll();
        io.restart();
    }
    void tick() { timer->fire(); }

    std::shared_ptr<smart::SmartController> controller() {
        auto* running = std::get_if<Smart>(&service->desired());
        return running ? running->controller : nullptr;
    }
    std::optional<double> fixedFraction() {
        auto* fixed = std::get_if<Fixed>(&service->desired());
        return fixed ? std::optional(fixed->fraction) : std::nullopt;
    }
    bool automatic() { return std::holds_alternative<Auto>(service->desired()); }

    asio::io_context io;
    SerialQueue queue = asio::make_strand(io);
    ManualTimer* timer;
    std::shared_ptr<HelperService> service;
};

TEST(ControlLoop, DeadlinesFollowTheirPredecessorsAndMissedTicksCoalesce) {
    using namespace std::chrono;
    steady_clock::time_point start{seconds(100)};
    const auto period = milliseconds(750);
    EXPECT_EQ(nextDeadline(start, start + milliseconds(3), period), start + period);
    EXPECT_EQ(nextDeadline(start, start + milliseconds(1725), period), start + 2 * period);
    EXPECT_EQ(nextDeadline(start, start + period, period), start + period);
}

TEST_F(HelperServiceTest, FractionsAreClampedAndAnsweredWithNothing) {
    EXPECT_EQ(fraction(1.7), std::nullopt);
    EXPECT_EQ(fixedFraction(), 1.0);
    EXPECT_EQ(fraction(-0.2), std::nullopt);
    EXPECT_EQ(fixedFraction(), 0.0);
    EXPECT_EQ(fraction(std::nan("")), std::nullopt);
    EXPECT_EQ(fixedFraction(), 0.0);
    EXPECT_EQ(fraction(0.45), std::nullopt);
    EXPECT_EQ(fixedFraction(), 0.45);
}

TEST_F(HelperServiceTest, ACommandRecordsIntentAndTheTickDoesTheWork) {
    EXPECT_FALSE(service->ticking());
    fraction(1.0);
    EXPECT_TRUE(timer->running());
    EXPECT_EQ(writes("F0Tg"), 0u);
    tick();
    auto fans = machine().fans;
    EXPECT_TRUE(fans[0].forced && fans[1].forced);
    EXPECT_EQ(fans[0].target, 5700);
    EXPECT_EQ(fans[1].target, 6200);
    mac->resetCounters();
    tick();
    EXPECT_EQ(machine().calls.writeBytes, 0u);  // steady: reads only
}

TEST_F(HelperServiceTest, TheLastClientLeavingHandsTheFansBackOverThreeTicks) {
    connect();
    fraction(0.8);
    tick();
    disconnect();
    EXPECT_TRUE(automatic());
    tick();
    EXPECT_FALSE(machine().fans[0].forced);
    EXPECT_EQ(machine().ftst, 1.0);
    tick();
    EXPECT_EQ(machine().ftst, 0.0);
    EXPECT_TRUE(service->ticking());
    tick();
    EXPECT_FALSE(service->ticking());
    EXPECT_FALSE(timer->running());
}

TEST_F(HelperServiceTest, OneOfTwoClientsLeavingKeepsTheTarget) {
    connect();
    connect();
    fraction(0.6);
    disconnect();
    EXPECT_EQ(fixedFraction(), 0.6);
    disconnect();
    EXPECT_TRUE(automatic());
    EXPECT_EQ(service->clients(), 0);
}

TEST_F(HelperServiceTest, HandingBackWhatIsAlreadyAutomaticTakesOneTick) {
    EXPECT_EQ(setAuto(), std::nullopt);
    EXPECT_TRUE(service->ticking());
    tick();
    EXPECT_FALSE(service->ticking());
}

TEST_F(HelperServiceTest, SmartSettingsStartOneControllerAndUpdateIt) {
    fraction(0.5);
    EXPECT_EQ(status(), std::nullopt);
    EXPECT_EQ(smartRequest(R"({"minimum": 30, "aggressiveness": "normal"})"), std::nullopt);
    auto first = controller();
    ASSERT_TRUE(first);
    EXPECT_EQ(status(), R"({"cooldown":0,"driver":"none","level":0.0,"phase":"idle"})");
    tick();
    EXPECT_EQ(first->status().phase, smart::Phase::boost);
    EXPECT_EQ(smartRequest(R"({"minimum": 0, "aggressiveness": "gentle"})"), std::nullopt);
    EXPECT_EQ(controller(), first);
    EXPECT_EQ(first->settings, (smart::SmartSettings{0, smart::Aggressiveness::gentle}));
    EXPECT_EQ(first->status().phase, smart::Phase::boost);  // its state goes on
}

TEST_F(HelperServiceTest, InvalidSmartSettingsChangeNothing) {
    smartRequest(R"({"minimum": 30, "aggressiveness": "normal"})");
    auto running = controller();
    for (const char* bad :
         {R"({"aggressiveness": "normal"})", R"({"minimum": 30, "aggressiveness": "max"})",
          R"({"minimum": 30.5, "aggressiveness": "normal"})", "not json"}) {
        EXPECT_EQ(smartRequest(bad), kInvalidSmartSettings) << bad;
    }
    EXPECT_EQ(controller(), running);
    EXPECT_EQ(running->settings.minimum, 30);
    fraction(0.2);
    EXPECT_EQ(smartRequest("[]"), kInvalidSmartSettings);
    EXPECT_EQ(fixedFraction(), 0.2);
}

TEST_F(HelperServiceTest, LeavingSmartAndComingBackStartsAfresh) {
    smartRequest(R"({"minimum": 30, "aggressiveness": "normal"})");
    tick();
    auto first = controller();
    fraction(0.5);
    smartRequest(R"({"minimum": 30, "aggressiveness": "normal"})");
    EXPECT_NE(controller(), first);
    EXPECT_EQ(controller()->status().phase, smart::Phase::idle);
}

TEST_F(HelperServiceTest, SmartFollowsTheWorkloadFromBoostThroughCooldownToIdle) {
    mac->setLoad(100);
    advance(200);
    smartRequest(R"({"minimum": 0, "aggressiveness": "normal"})");
    tick();
    EXPECT_EQ(controller()->status().phase, smart::Phase::boost);
    EXPECT_TRUE(machine().fans[0].forced);
    mac->setLoad(0);
    advance(900);
    tick();
    EXPECT_EQ(controller()->status().phase, smart::Phase::cooldown);
    EXPECT_TRUE(machine().fans[0].forced);
    advance(61);
    tick();
    EXPECT_EQ(controller()->status().phase, smart::Phase::idle);
    tick();
    tick();
    EXPECT_FALSE(machine().fans[0].forced);
    EXPECT_EQ(machine().ftst, 0.0);
    EXPECT_TRUE(service->ticking());  // Smart keeps its loop even while handed back
}

TEST_F(HelperServiceTest, ThermalPressureForcesFullSpeed) {
    smartRequest(R"({"minimum": 0, "aggressiveness": "gentle"})");
    mac->setPressure(1);
    tick();
    EXPECT_EQ(controller()->status().phase, smart::Phase::safety);
    EXPECT_EQ(machine().fans[1].target, 6200);
}

TEST_F(HelperServiceTest, HandingBackAtTheEndSettlesTheHardware) {
    fraction(1.0);
    tick();
    bool settled = false;
    run([&] { service->handBack(std::chrono::seconds(3), [&](bool done) { settled = done; }); });
    EXPECT_TRUE(settled);
    EXPECT_FALSE(machine().fans[0].forced);
    EXPECT_EQ(machine().ftst, 0.0);
    EXPECT_FALSE(service->ticking());
}

class FanlessServiceTest : public HelperServiceTest {
  protected:
    FanlessServiceTest() : HelperServiceTest(sim::Profile::fanless) {}
};

TEST_F(FanlessServiceTest, FanRequestsAreRefusedAndStartNoLoop) {
    EXPECT_EQ(fraction(0.5), kNoFans);
    EXPECT_EQ(smartRequest("not json"), kNoFans);
    EXPECT_FALSE(service->ticking());
    EXPECT_TRUE(automatic());
}

class NoSMCServiceTest : public HelperServiceTest {
  protected:
    NoSMCServiceTest() : HelperServiceTest(sim::Profile::noSMC) {}
};

TEST_F(NoSMCServiceTest, WithoutAnSMCOnlyAutomaticIsAccepted) {
    EXPECT_FALSE(service->hasSMC());
    EXPECT_EQ(fraction(0.5), kSMCUnavailable);
    EXPECT_EQ(smartRequest("not json"), kSMCUnavailable);
    EXPECT_EQ(status(), std::nullopt);
    EXPECT_EQ(setAuto(), std::nullopt);
    tick();
    tick();
    EXPECT_TRUE(service->ticking());  // nothing to settle, so the loop goes on doing nothing
}

}  // namespace
}  // namespace ventoria::helper
