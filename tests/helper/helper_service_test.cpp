#include "ventoria/helper/helper_service.h"

#include <gtest/gtest.h>

#include <asio/io_context.hpp>
#include <asio/strand.hpp>
#include <cmath>

#include "manual_timer.h"
#include "protocol_version.h"
#include "ventoria/helper/admission.h"
#include "virtual_mac_test.h"

namespace ventoria::helper {
namespace {

using test::ManualTimer;
using test::VirtualMacTest;
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
    EXPECT_EQ(helper::kTickPeriod, period);  // the loop's period, as users and the README know it
    EXPECT_EQ(nextDeadline(start, start + milliseconds(3), period), start + period);
    EXPECT_EQ(nextDeadline(start, start + milliseconds(1725), period), start + 2 * period);
    EXPECT_EQ(nextDeadline(start, start + period, period), start + period);
}

TEST(Admission, OnlyThePeopleAtTheMachineMayCommandTheFans) {
    const uid_t helper = 0, console = 501;
    EXPECT_TRUE(mayCommandFans(0, helper, console));
    EXPECT_TRUE(mayCommandFans(501, helper, console));
    EXPECT_FALSE(mayCommandFans(502, helper, console));
    EXPECT_FALSE(mayCommandFans(65534, helper, console));
    EXPECT_FALSE(mayCommandFans(std::nullopt, helper, console));  // a peer nobody can name
    EXPECT_FALSE(mayCommandFans(501, helper, std::nullopt));      // nobody known at the console
    EXPECT_TRUE(mayCommandFans(1000, 1000, std::nullopt));  // a helper run as a user serves it
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

// Another program (a second fan tool, the system after sleep) moves a held fan: the next tick
// puts it back, mode and target, and one tick is all it takes.
TEST_F(HelperServiceTest, AFanAnotherWriterMovedIsRestoredByTheNextTick) {
    fraction(1.0);
    tick();
    setValue("F1Md", 0);  // handed back behind our back
    setValue("F0Tg", 2000);
    tick();
    auto fans = machine().fans;
    EXPECT_TRUE(fans[0].forced && fans[1].forced);
    EXPECT_EQ(fans[0].target, 5700);
    EXPECT_EQ(fans[1].target, 6200);
}

// What a tick costs on a Mac, in SMC calls: a fixed hold reads five keys for two fans; Smart
// reads its temperature sensors and the same five.
TEST_F(HelperServiceTest, SteadyTicksMakeOnlyTheCallsTheyNeed) {
    fraction(0.6);
    tick();
    tick();
    mac->resetCounters();
    tick();
    EXPECT_EQ(totalCalls(), 5u);

    hardware::Thermals sensors(std::make_shared<hardware::SMC>());
    smartRequest(R"({"minimum": 40, "aggressiveness": "normal"})");
    tick();
    tick();
    mac->resetCounters();
    tick();
    EXPECT_LE(totalCalls(), sensors.chipKeys().size() + sensors.chassisKeys().size() + 5);
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

// The chip sensors feed the chip curve and the case sensors the case curve: with the two
// swapped, each reading below would name the other driver.
TEST_F(HelperServiceTest, EachTemperatureDrivesItsOwnCurve) {
    hardware::Thermals sensors(std::make_shared<hardware::SMC>());
    auto reads = [&](double chip, double chassis) {
        for (const auto& key : sensors.chipKeys()) mac->setValue(key, chip);
        for (const auto& key : sensors.chassisKeys()) mac->setValue(key, chassis);
    };
    reads(50, 51);  // the chip below its curve (68–95 °C), the case near the top of its (38–52)
    smartRequest(R"({"minimum": 0, "aggressiveness": "normal"})");
    tick();
    EXPECT_EQ(controller()->status().driver, smart::SmartDriver::chassis);
    setAuto();      // leave Smart, so the next one starts afresh
    advance(60);    // and the chip's smoothing has long forgotten the last reading
    reads(93, 30);  // the chip near the top of its curve, the case below its
    smartRequest(R"({"minimum": 0, "aggressiveness": "normal"})");
    tick();
    EXPECT_EQ(controller()->status().driver, smart::SmartDriver::chip);
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
    run([&] { service->stop(std::chrono::seconds(3), [&](bool done) { settled = done; }); });
    EXPECT_TRUE(settled);
    EXPECT_FALSE(machine().fans[0].forced);
    EXPECT_EQ(machine().ftst, 0.0);
    EXPECT_FALSE(service->ticking());
}

TEST_F(HelperServiceTest, OnceStoppingNoRequestForcesTheFansAgain) {
    fraction(1.0);
    tick();
    bool settled = false;
    run([&] { service->stop(std::chrono::seconds(3), [&](bool done) { settled = done; }); });
    ASSERT_TRUE(settled);
    EXPECT_EQ(fraction(0.9), kStopping);
    EXPECT_EQ(smartRequest(R"({"minimum": 50, "aggressiveness": "normal"})"), kStopping);
    connect();
    disconnect();
    EXPECT_EQ(ask([&](auto reply) { service->version(reply); }), test::kProtocolVersion);
    EXPECT_TRUE(automatic());
    EXPECT_FALSE(service->ticking());
    EXPECT_FALSE(machine().fans[0].forced || machine().fans[1].forced);
}

TEST_F(HelperServiceTest, StoppingGivesUpAtItsBoundWhenTheHardwareCannotSettle) {
    fraction(1.0);
    tick();
    fault("F0Md", sim::FaultKind::kernel, static_cast<int>(0xE00002BC));
    std::optional<bool> settled;
    run([&] { service->stop(std::chrono::milliseconds(100), [&](bool done) { settled = done; }); });
    EXPECT_EQ(settled, false);
    EXPECT_EQ(machine().ftst, 1.0);  // fan 0 may be forced, so the switch stays on
}

// A predecessor that died holding the fans left them forced: the fresh service hands them
// back without waiting for a client, and leaves alone what is already the machine's.
TEST_F(HelperServiceTest, AtStartFansLeftForcedAreHandedBack) {
    run([&] { service->recoverFans(); });
    EXPECT_FALSE(service->ticking());
    EXPECT_EQ(machine().calls.writeBytes, 0u);

    fraction(0.6);
    tick();
    auto manual = std::make_unique<ManualTimer>();
    auto* successorTimer = manual.get();
    auto successor = HelperService::create(queue, std::move(manual));
    run([&] { successor->recoverFans(); });
    EXPECT_TRUE(successor->ticking());
    for (int i = 0; i < 4 && successor->ticking(); ++i) successorTimer->fire();
    EXPECT_FALSE(successor->ticking());
    EXPECT_FALSE(machine().fans[0].forced || machine().fans[1].forced);
    EXPECT_EQ(machine().ftst, 0.0);
}

TEST_F(HelperServiceTest, SmartThatCannotSeeTheChipGivesTheFansToTheMachine) {
    smartRequest(R"({"minimum": 40, "aggressiveness": "normal"})");
    tick();
    ASSERT_TRUE(machine().fans[0].forced);
    auto chipKeys = hardware::Thermals(std::make_shared<hardware::SMC>()).chipKeys();
    ASSERT_FALSE(chipKeys.empty());
    for (const auto& key : chipKeys)
        fault(key, sim::FaultKind::kernel, static_cast<int>(0xE00002BC));
    for (int i = 0; i < kBlindTicks - 1; ++i) tick();
    EXPECT_TRUE(machine().fans[0].forced);  // a few misses are waited out on the last reading
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_FALSE(machine().fans[0].forced || machine().fans[1].forced);
    EXPECT_EQ(machine().ftst, 0.0);
    auto blind = smart::decodeSmartStatus(status().value_or(""));
    ASSERT_TRUE(blind);
    EXPECT_TRUE(blind->chipUnreadable);
    EXPECT_EQ(blind->phase, smart::Phase::idle);

    for (const auto& key : chipKeys) fault(key, sim::FaultKind::none);
    tick();
    EXPECT_TRUE(machine().fans[0].forced);  // the minimum holds again
    EXPECT_FALSE(smart::decodeSmartStatus(status().value_or(""))->chipUnreadable);
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

TEST_F(HelperServiceTest, AnSMCThatWasAwayAtStartIsOpenedByTheNextRequest) {
    mac->setDetached(true);
    auto late = HelperService::create(queue, std::make_unique<ManualTimer>());
    EXPECT_FALSE(late->hasSMC());
    EXPECT_EQ(ask([&](auto reply) { late->setFraction(0.5, reply); }), kSMCUnavailable);
    mac->setDetached(false);
    EXPECT_EQ(ask([&](auto reply) { late->setFraction(0.5, reply); }), std::nullopt);
    EXPECT_TRUE(late->hasSMC());
}

}  // namespace
}  // namespace ventoria::helper
