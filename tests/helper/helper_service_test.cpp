#include "ventoria/helper/helper_service.h"

#include <gtest/gtest.h>

#include <asio/io_context.hpp>
#include <asio/strand.hpp>
#include <cmath>
#include <filesystem>
#include <fstream>

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
        createService();
    }
    // The machine through a Linux kernel driver's files.
    explicit HelperServiceTest(sim::KernelDriver driver) : VirtualMacTest(driver) {
        createService();
    }
    void createService() {
        auto manual = std::make_unique<ManualTimer>();
        timer = manual.get();
        service = HelperService::create(queue, std::move(manual), clocks());
    }
    // The machine's clock, and a steady clock the test moves by hand; a pause moves it by
    // the pause's length and is noted.
    ServiceClocks clocks() {
        return {.steady = [this] { return steadyNow; },
                .pause =
                    [this](std::chrono::milliseconds span) {
                        pauses.push_back(span);
                        steadyNow += span;
                    }};
    }

    // Sends one message from `from` and runs the queue until it has answered (or, when
    // `answered` is false, until it has run without answering).
    template <typename M>
    std::optional<typename M::Reply> ask(M message, const ipc::Requester& from, HelperService& to,
                                         bool answered = true) {
        std::optional<typename M::Reply> answer;
        to.handle(from, std::move(message), [&answer](typename M::Reply value) {
            EXPECT_FALSE(answer) << "answered twice";
            answer = std::move(value);
        });
        io.poll();
        io.restart();
        EXPECT_EQ(answer.has_value(), answered) << (answered ? "never answered" : "answered");
        return answer;
    }
    template <typename M>
    typename M::Reply ask(M message, HelperService& to) {
        return ask(std::move(message), client, to).value_or(typename M::Reply{});
    }
    template <typename M>
    typename M::Reply ask(M message) {
        return ask(std::move(message), *service);
    }
    Answer fraction(double f) { return ask(ipc::SetFraction{f}); }
    Answer smartRequest(const std::string& json) { return ask(ipc::SetSmart{{json}}); }
    Answer status() {
        auto data = ask(ipc::SmartStatus{});
        return data ? std::optional(data->data) : std::nullopt;
    }
    Answer setAuto() { return ask(ipc::SetAuto{}); }
    void connect(ipc::ClientId id = 1) {
        run([&] { service->connectionAccepted(id); });
    }
    void disconnect(ipc::ClientId id = 1) {
        run([&] { service->connectionInvalidated(id); });
    }
    template <typename Work>
    void run(Work work) {
        work();
        io.poll();
        io.restart();
    }
    void tick() { timer->fire(); }
    // Fan 0 forced, and every later write of its mode refused.
    void forceFansTheSMCCannotHandBack() {
        fraction(1.0);
        tick();
        fault("F0Md", sim::FaultKind::kernel, static_cast<int>(0xE00002BC));
    }

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
    std::chrono::steady_clock::time_point steadyNow{std::chrono::hours(1)};
    std::vector<std::chrono::milliseconds> pauses;
    ipc::Requester client{.client = 1};
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
    connect(1);
    connect(2);
    fraction(0.6);
    disconnect(2);
    EXPECT_EQ(fixedFraction(), 0.6);
    disconnect(1);
    EXPECT_TRUE(automatic());
    EXPECT_EQ(service->clients(), 0);
}

// Several clients: the latest choice is in force, and a client that leaves or hands back takes
// only its own choice with it: the one made before applies again. A client that comes back
// on a new connection holds nothing until it chooses again.
TEST_F(HelperServiceTest, TheLatestChoiceWinsAndTheOneBeforeItReturns) {
    ipc::Requester app{.client = 1}, cli{.client = 2}, script{.client = 3};
    for (auto id : {1, 2, 3}) connect(static_cast<ipc::ClientId>(id));
    ask(ipc::SetFraction{0.6}, app, *service);
    ask(ipc::SetFraction{1.0}, cli, *service);
    EXPECT_EQ(fixedFraction(), 1.0);
    ask(ipc::SetFraction{0.3}, script, *service);
    EXPECT_EQ(fixedFraction(), 0.3);
    disconnect(3);  // the latest leaves: the one before it
    EXPECT_EQ(fixedFraction(), 1.0);
    EXPECT_EQ(ask(ipc::SetAuto{}, cli, *service).value(), ipc::Outcome());  // hands back its own
    EXPECT_EQ(fixedFraction(), 0.6);
    ask(ipc::SetAuto{}, script, *service);  // holding nothing, it changes nothing
    EXPECT_EQ(fixedFraction(), 0.6);
    ask(ipc::SetFraction{0.8}, app, *service);  // a client's new choice replaces its old one
    disconnect(2);
    EXPECT_EQ(fixedFraction(), 0.8);
    connect(4);  // the command line again, on a new connection: nothing restored
    EXPECT_EQ(fixedFraction(), 0.8);
    disconnect(1);
    EXPECT_TRUE(automatic());
    disconnect(4);
    EXPECT_TRUE(automatic());
}

// Smart that was overtaken by another client's choice goes on where it was when it returns:
// the same controller, with its level and its cool spell.
TEST_F(HelperServiceTest, SmartOvertakenAndBackIsTheSameSmart) {
    ipc::Requester app{.client = 1}, cli{.client = 2};
    ask(ipc::SetSmart{{R"({"minimum": 30, "aggressiveness": "normal"})"}}, app, *service);
    auto first = controller();
    tick();
    ask(ipc::SetFraction{1.0}, cli, *service);
    EXPECT_EQ(controller(), nullptr);
    ask(ipc::SetAuto{}, cli, *service);
    EXPECT_EQ(controller(), first);
    ask(ipc::SetSmart{{R"({"minimum": 0, "aggressiveness": "gentle"})"}}, app, *service);
    EXPECT_EQ(controller(), first);
    EXPECT_EQ(first->settings.minimum, 0);
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

// A wake that forgot the forced modes is mended at once, without waiting for the next tick;
// with nothing in force, or once stopping, a wake writes nothing.
TEST_F(HelperServiceTest, AWakeReassertsTheChoiceAtOnce) {
    run([&] { service->machineWoke(); });
    EXPECT_EQ(machine().calls.writeBytes, 0u);

    fraction(1.0);
    tick();
    mac->resume();
    ASSERT_FALSE(machine().fans[0].forced);
    run([&] { service->machineWoke(); });
    EXPECT_TRUE(machine().fans[0].forced);
    EXPECT_TRUE(machine().fans[1].forced);

    run([&] { service->stop([](bool) {}); });
    mac->resume();
    auto writes = machine().calls.writeBytes;
    run([&] { service->machineWoke(); });
    EXPECT_EQ(machine().calls.writeBytes, writes);
}

TEST_F(HelperServiceTest, HandingBackAtTheEndSettlesTheHardware) {
    fraction(1.0);
    tick();
    bool settled = false;
    run([&] { service->stop([&](bool done) { settled = done; }); });
    EXPECT_TRUE(settled);
    // The hand-back's stages, one pause apart; never a pause once settled.
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>(2, std::chrono::milliseconds(20)));
    EXPECT_FALSE(machine().fans[0].forced);
    EXPECT_EQ(machine().ftst, 0.0);
    EXPECT_FALSE(service->ticking());
}

TEST_F(HelperServiceTest, OnceStoppingNoRequestForcesTheFansAgain) {
    fraction(1.0);
    tick();
    bool settled = false;
    run([&] { service->stop([&](bool done) { settled = done; }); });
    ASSERT_TRUE(settled);
    EXPECT_EQ(fraction(0.9), kStopping);
    EXPECT_EQ(smartRequest(R"({"minimum": 50, "aggressiveness": "normal"})"), kStopping);
    connect();
    disconnect();
    EXPECT_EQ(ask(ipc::Version{}), test::kProtocolVersion);
    EXPECT_TRUE(automatic());
    EXPECT_FALSE(service->ticking());
    EXPECT_FALSE(machine().fans[0].forced || machine().fans[1].forced);
}

// A stage every 20 ms from the signal on, the last at the bound itself, 3 s after: no stage
// is skipped for the time the first took, and none runs past the bound.
TEST_F(HelperServiceTest, StoppingGivesUpAtItsBoundWhenTheHardwareCannotSettle) {
    using std::chrono::milliseconds;
    forceFansTheSMCCannotHandBack();
    std::optional<bool> settled;
    auto signalled = steadyNow;
    run([&] { service->stop([&](bool done) { settled = done; }); });
    EXPECT_EQ(settled, false);
    EXPECT_EQ(pauses, std::vector<milliseconds>(150, milliseconds(20)));
    EXPECT_EQ(steadyNow - signalled, milliseconds(3000));
    EXPECT_EQ(machine().ftst, 1.0);  // fan 0 may be forced, so the switch stays on
}

// The bound runs from the signal, not from when the queue gets to it: a queue busy for most of
// the bound leaves the hand-back only the rest.
TEST_F(HelperServiceTest, TheStoppingBoundCountsFromTheSignal) {
    using std::chrono::milliseconds;
    forceFansTheSMCCannotHandBack();
    std::optional<bool> settled;
    service->stop([&](bool done) { settled = done; });
    steadyNow += milliseconds(2970);  // the queue was in an SMC call meanwhile
    run([] {});
    EXPECT_EQ(settled, false);
    EXPECT_EQ(pauses, std::vector<milliseconds>(2, milliseconds(20)));
}

class WriterCheckTest : public HelperServiceTest {
  protected:
    WriterCheckTest() : HelperServiceTest(sim::KernelDriver::applesmc) {}
    void startFanProgram() {
        std::filesystem::create_directories(root.path() / "proc/4242");
        std::ofstream(root.path() / "proc/4242/comm") << "mbpfan\n";
    }
};

// Whether another program drives the fans is looked at every 8th tick of a choice in force
// (a look lists every process): one that starts is noticed at the next look and given the
// fans, and until then the choice holds.
TEST_F(WriterCheckTest, AnotherWriterIsLookedForEveryEighthTick) {
    fraction(1.0);
    for (int ticked = 1; ticked <= 3; ++ticked) tick();
    startFanProgram();
    for (int ticked = 4; ticked <= 7; ++ticked) {
        tick();
        ASSERT_EQ(fixedFraction(), 1.0) << "yielded at tick " << ticked;
    }
    tick();
    EXPECT_TRUE(automatic());
    EXPECT_FALSE(service->ticking());

    // A choice made once the other program has gone counts its ticks afresh from the look.
    std::filesystem::remove_all(root.path() / "proc/4242");
    fraction(0.8);
    for (int ticked = 1; ticked <= 7; ++ticked) tick();
    startFanProgram();
    tick();
    EXPECT_TRUE(automatic()) << "the 8th tick since the last look looks again";
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
    // Five misses (3.75 s of ticks) are waited out on the last reading; the sixth gives up.
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_TRUE(machine().fans[0].forced);
    tick();
    EXPECT_FALSE(machine().fans[0].forced);  // the hand-back's first stage, at once
    for (int i = 0; i < 2; ++i) tick();
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

// Without an SMC nothing can be forced, and nothing handed back either: handing back is
// refused like the rest, though the wish stands and the loop keeps looking for the SMC.
TEST_F(NoSMCServiceTest, WithoutAnSMCEveryFanRequestIsRefused) {
    EXPECT_FALSE(service->hasSMC());
    EXPECT_EQ(fraction(0.5), kSMCUnavailable);
    EXPECT_EQ(smartRequest("not json"), kSMCUnavailable);
    EXPECT_EQ(status(), std::nullopt);
    EXPECT_EQ(setAuto(), kSMCUnavailable);
    EXPECT_TRUE(automatic());
    tick();
    tick();
    EXPECT_TRUE(service->ticking());
}

// A helper that starts while the SMC is away cannot see what its predecessor left forced. It
// keeps looking, after 1, 2, 4 and then every 8 ticks, and hands back as soon as the SMC is
// there: never every tick, never so rarely that fans stay at full speed for long.
TEST_F(HelperServiceTest, AHelperBornWithoutItsSMCHandsBackOnceItComes) {
    fraction(1.0);
    tick();
    ASSERT_TRUE(machine().fans[0].forced && machine().fans[1].forced);
    mac->setDetached(true);
    auto manual = std::make_unique<ManualTimer>();
    auto* successorTimer = manual.get();
    auto successor = HelperService::create(queue, std::move(manual), clocks());
    run([&] { successor->recoverFans(); });
    ASSERT_TRUE(successor->ticking());
    EXPECT_EQ(ask(ipc::SetAuto{}, *successor), kSMCUnavailable);  // nothing handed back yet

    // Tries at ticks 1, 3, 7 and 15 fail; the next is at 23, eight ticks on.
    for (int tick = 1; tick <= 15; ++tick) successorTimer->fire();
    mac->setDetached(false);
    for (int tick = 16; tick <= 22; ++tick) successorTimer->fire();
    EXPECT_FALSE(successor->hasSMC());
    successorTimer->fire();
    EXPECT_TRUE(successor->hasSMC());
    for (int i = 0; i < 4 && successor->ticking(); ++i) successorTimer->fire();
    EXPECT_FALSE(successor->ticking());
    EXPECT_FALSE(machine().fans[0].forced || machine().fans[1].forced);
    EXPECT_EQ(machine().ftst, 0.0);
}

TEST_F(HelperServiceTest, TheFirstTryAfterAFailureComesTwoTicksLater) {
    fraction(1.0);
    tick();
    mac->setDetached(true);
    auto manual = std::make_unique<ManualTimer>();
    auto* successorTimer = manual.get();
    auto successor = HelperService::create(queue, std::move(manual), clocks());
    run([&] { successor->recoverFans(); });
    successorTimer->fire();  // the first try, at once: fails
    mac->setDetached(false);
    successorTimer->fire();
    EXPECT_FALSE(successor->hasSMC());
    successorTimer->fire();
    EXPECT_TRUE(successor->hasSMC());
}

// A request waits on the queue behind a stalled tick while its client gives up (after the
// protocol's 10 s) or leaves: when its turn comes nobody wants it any more, and it is dropped
// without an answer and without touching what the clients still there asked for.
TEST_F(HelperServiceTest, ARequestNobodyWaitsForChangesNothing) {
    EXPECT_EQ(ask(ipc::SetFraction{0.3}), std::nullopt);
    ipc::Requester patient{.client = 2, .deadline = steadyNow + std::chrono::seconds(10)};
    auto gone = std::make_shared<std::atomic<bool>>(false);
    ipc::Requester leaving{.client = 3, .deadline = patient.deadline, .ended = gone};

    std::optional<ipc::Outcome> answer;
    service->handle(patient, ipc::SetFraction{1.0}, [&](ipc::Outcome value) { answer = value; });
    steadyNow += std::chrono::seconds(10);  // the queue was stuck until the client gave up
    run([] {});
    EXPECT_FALSE(answer);
    EXPECT_EQ(fixedFraction(), 0.3);

    service->handle(leaving, ipc::SetSmart{{R"({"minimum":0,"aggressiveness":"normal"})"}},
                    [&](ipc::Outcome value) { answer = value; });
    service->handle(leaving, ipc::SetAuto{}, [&](ipc::Outcome value) { answer = value; });
    gone->store(true);
    run([] {});
    EXPECT_FALSE(answer);
    EXPECT_EQ(fixedFraction(), 0.3);

    ipc::Requester inTime{.client = 2, .deadline = steadyNow + std::chrono::milliseconds(1)};
    EXPECT_EQ(ask(ipc::SetFraction{0.9}, inTime, *service).value(), ipc::Outcome());
    EXPECT_EQ(fixedFraction(), 0.9);
}

TEST_F(HelperServiceTest, AnSMCThatWasAwayAtStartIsOpenedByTheNextRequest) {
    mac->setDetached(true);
    auto late = HelperService::create(queue, std::make_unique<ManualTimer>());
    EXPECT_FALSE(late->hasSMC());
    EXPECT_EQ(ask(ipc::SetFraction{0.5}, *late), kSMCUnavailable);
    mac->setDetached(false);
    EXPECT_EQ(ask(ipc::SetFraction{0.5}, *late), std::nullopt);
    EXPECT_TRUE(late->hasSMC());
}

}  // namespace
}  // namespace ventoria::helper
