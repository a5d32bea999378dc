// The real VentoriaHelper on a flaky SMC, and stopped or killed at awkward moments. Whatever
// fails, a forced fan is never driven toward nonsense, the daemon keeps answering, and the
// fans end with the machine once the fault has cleared and nobody wants them.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <thread>

#include "helper_process.h"
#include "protocol_version.h"
#include "virtual_mac_test.h"

namespace ventoria::test {
namespace {

using sim::FaultKind;
using namespace std::chrono_literals;

class HelperFaultTest : public VirtualMacTest {
  protected:
    bool anyForced() {
        auto fans = machine().fans;
        return fans[0].forced || fans[1].forced;
    }
    bool handedBack() { return !anyForced() && machine().ftst == 0.0; }
    // A forced fan runs toward a real speed of its own range, never toward 0 rpm or NaN.
    void expectSaneTargets() {
        for (const auto& fan : machine().fans) {
            if (!fan.forced) continue;
            EXPECT_TRUE(std::isfinite(fan.target)) << "fan " << fan.id;
            EXPECT_GE(fan.target, fan.min) << "fan " << fan.id;
            EXPECT_LE(fan.target, fan.max) << "fan " << fan.id;
        }
    }
    // A helper started afresh after one that could not finish: it hands back by itself.
    void expectRecoveryByASuccessor() {
        helper.emplace();
        EXPECT_TRUE(eventually([&] { return handedBack(); }));
    }

    std::optional<HelperProcess> helper{std::in_place};
};

enum class Scenario { fixedHold, smartHold, handingBack, terminated };

struct Fault {
    const char* name;  // also the test's name
    const char* key;   // nothing: the whole SMC is at fault
    FaultKind kind;
};

const Fault kFaults[] = {
    {"F0AcMissing", "F0Ac", FaultKind::missing}, {"F0AcKernel", "F0Ac", FaultKind::kernel},
    {"F0MnMissing", "F0Mn", FaultKind::missing}, {"F0MnKernel", "F0Mn", FaultKind::kernel},
    {"F0MxMissing", "F0Mx", FaultKind::missing}, {"F0MxKernel", "F0Mx", FaultKind::kernel},
    {"F0MdMissing", "F0Md", FaultKind::missing}, {"F0MdKernel", "F0Md", FaultKind::kernel},
    {"F0TgMissing", "F0Tg", FaultKind::missing}, {"F0TgKernel", "F0Tg", FaultKind::kernel},
    {"FtstMissing", "Ftst", FaultKind::missing}, {"FtstKernel", "Ftst", FaultKind::kernel},
    {"FNumMissing", "FNum", FaultKind::missing}, {"FNumKernel", "FNum", FaultKind::kernel},
    {"SlowSMC", nullptr, FaultKind::none},       {"DetachedSMC", nullptr, FaultKind::missing},
};

// Names, not bytes, in the test listing.
void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}
void PrintTo(Scenario scenario, std::ostream* out) {
    const char* names[] = {"fixed hold", "Smart hold", "handing back", "terminated"};
    *out << names[static_cast<int>(scenario)];
}

class FaultMatrixTest : public HelperFaultTest,
                        public ::testing::WithParamInterface<std::tuple<Scenario, Fault>> {
  protected:
    void inject(bool on) {
        const auto& fault = std::get<Fault>(GetParam());
        if (fault.key) {
            this->fault(fault.key, on ? fault.kind : FaultKind::none, 0xE00002BC);
        } else if (fault.kind == FaultKind::none) {
            mac->setLatency(on ? 100'000 : 0);
        } else {
            mac->setDetached(on);
        }
    }
};

TEST_P(FaultMatrixTest, TheFansEndWithTheMachineOnceTheFaultClears) {
    auto scenario = std::get<Scenario>(GetParam());
    std::optional<RawClient> client{std::in_place};
    if (scenario == Scenario::smartHold) {
        client->call(ipc::SetSmart{{R"({"minimum":60,"aggressiveness":"normal"})"}});
    } else {
        client->call(ipc::SetFraction{0.8});
    }
    ASSERT_TRUE(eventually([&] { return anyForced(); }));

    inject(true);
    if (scenario == Scenario::handingBack) client.reset();
    if (scenario == Scenario::terminated) {
        expectTerminationHandsBack(
            helper, [&] { inject(false); }, [&] { return handedBack(); });
        return;
    }
    for (int tick = 0; tick < 2; ++tick) {
        std::this_thread::sleep_for(750ms);
        expectSaneTargets();
        RawClient other;  // a second client, so the holder's connection stays the same
        EXPECT_EQ(other.call(ipc::Version{}), test::kProtocolVersion);
    }
    inject(false);
    client.reset();
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
    EXPECT_TRUE(helper->running());
}

std::string nameOf(const ::testing::TestParamInfo<FaultMatrixTest::ParamType>& info) {
    const char* scenarios[] = {"FixedHold", "SmartHold", "HandingBack", "Terminated"};
    return std::string(scenarios[static_cast<int>(std::get<Scenario>(info.param))]) + "_" +
           std::get<Fault>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryFaultInEveryScenario, FaultMatrixTest,
    ::testing::Combine(::testing::Values(Scenario::fixedHold, Scenario::smartHold,
                                         Scenario::handingBack, Scenario::terminated),
                       ::testing::ValuesIn(kFaults)),
    nameOf);

// Requests still arriving while the daemon stops must not force the fans again behind the
// hand-back: every trial ends handed back, with the exit status that says so.
TEST_F(HelperFaultTest, StoppingUnderTrafficAlwaysEndsHandedBack) {
    for (int trial = 0; trial < 6; ++trial) {
        if (!helper) helper.emplace();
        std::atomic<bool> go{true};
        std::vector<std::thread> clients;
        for (int c = 0; c < 4; ++c) {
            clients.emplace_back([&go] {
                RawClient client;
                while (go) {
                    client.send(ipc::SetFraction{1.0});
                    if (!client.receive()) return;  // the helper went away
                }
            });
        }
        ASSERT_TRUE(eventually([&] { return anyForced(); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + 60 * trial));
        EXPECT_EQ(helper->stop(SIGTERM), 0) << "trial " << trial;
        go = false;
        for (auto& thread : clients) thread.join();
        EXPECT_TRUE(handedBack()) << "trial " << trial;
        helper.reset();
    }
}

// However slow each SMC call is, stopping ends at its bound, not after the sum of the calls:
// on an SMC that can never settle (every fan's mode write fails, each call takes half a
// second) only the bound can end it, and the exit status says it did.
TEST_F(HelperFaultTest, StoppingKeepsItsBoundOnASlowSMCThatCannotSettle) {
    RawClient client;
    client.call(ipc::SetFraction{1.0});
    ASSERT_TRUE(eventually([&] { return anyForced(); }));
    fault("F0Md", FaultKind::kernel, static_cast<int>(0xE00002BC));
    fault("F1Md", FaultKind::kernel, static_cast<int>(0xE00002BC));
    mac->setLatency(500'000);
    auto started = std::chrono::steady_clock::now();
    int status = helper->stop(SIGTERM);
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(status, kNotHandedBack);
    EXPECT_LT(took, 10s);  // a hang guard only: the status above is what pins the bound
    mac->setLatency(0);
    fault("F0Md", FaultKind::none);
    fault("F1Md", FaultKind::none);
    expectRecoveryByASuccessor();
}

// A key that fails only sometimes, and goes on doing so: the choice is held with sane targets
// through it, and once its client goes the fans are the machine's again while the key still
// fails now and then.
TEST_F(HelperFaultTest, AKeyThatFailsOnlySometimesNeverKeepsTheFans) {
    struct Case {
        const char* key;
        std::uint32_t every;
    };
    for (auto [key, every] : {Case{"F0Md", 2}, Case{"F0Md", 3}, Case{"F0Tg", 2}, Case{"Ftst", 2},
                              Case{"F0Ac", 3}, Case{"F0Mx", 2}}) {
        SCOPED_TRACE(std::string(key) + " failing every " + std::to_string(every));
        {
            RawClient client;
            client.call(ipc::SetFraction{0.8});
            ASSERT_TRUE(eventually([&] { return anyForced(); }));
            fault(key, FaultKind::kernel, static_cast<int>(0xE00002BC), every);
            // Ticks with the fault: the helper has since made a few rounds of its SMC calls.
            auto before = totalCalls();
            ASSERT_TRUE(eventually([&] { return totalCalls() >= before + 20; }));
            expectSaneTargets();
            EXPECT_TRUE(anyForced());
        }
        EXPECT_TRUE(eventually([&] { return handedBack(); }));
        fault(key, FaultKind::none);
        ASSERT_TRUE(helper->running());
    }
}

TEST_F(HelperFaultTest, AHelperKilledWhileForcingIsUndoneByItsSuccessor) {
    RawClient client;
    client.call(ipc::SetFraction{0.9});
    ASSERT_TRUE(eventually([&] { return anyForced(); }));
    helper->stop(SIGKILL);
    EXPECT_TRUE(anyForced());  // nobody could hand back
    expectRecoveryByASuccessor();
}

// The predecessor died while the SMC was away: its successor cannot see the fans, says so to
// a client that asks it to hand back, and hands back by itself once the SMC returns.
TEST_F(HelperFaultTest, AHelperStartedWithoutItsSMCHandsBackWhenItReturns) {
    {
        RawClient client;
        client.call(ipc::SetFraction{1.0});
        ASSERT_TRUE(eventually([&] { return anyForced(); }));
        mac->setDetached(true);
        helper->stop(SIGKILL);
    }
    helper.emplace();
    {
        RawClient client;
        EXPECT_EQ(client.call(ipc::SetAuto{}), "AppleSMC is unavailable");
    }
    std::this_thread::sleep_for(3s);  // a few of the successor's tries go by
    EXPECT_TRUE(anyForced());
    mac->setDetached(false);
    EXPECT_TRUE(eventually([&] { return handedBack(); }, 15s));
    EXPECT_TRUE(helper->running());
}

// The virtual Mac's file is cut short under the running helper (development only, but it
// used to kill it): to the helper the SMC has gone, and a machine booted in its place is
// found again.
TEST_F(HelperFaultTest, AStateFileCutShortUnderTheHelperIsAnSMCGoneAway) {
    RawClient client;
    client.call(ipc::SetFraction{0.9});
    ASSERT_TRUE(eventually([&] { return anyForced(); }));
    mac.reset();
    std::filesystem::resize_file(sim::VirtualMac::statePath(root.path()), 100);
    std::this_thread::sleep_for(1500ms);  // two ticks on a machine that is not there
    EXPECT_TRUE(helper->running());
    EXPECT_EQ(client.call(ipc::Version{}), test::kProtocolVersion);
    EXPECT_EQ(client.call(ipc::SetFraction{0.5}), "AppleSMC is unavailable");
    mac = sim::VirtualMac::create(
        root.path(),
        {.profile = sim::Profile::appleSilicon, .clock = sim::ClockMode::real, .seed = 1});
    EXPECT_EQ(client.call(ipc::SetFraction{0.5}), std::nullopt);
    EXPECT_TRUE(eventually([&] { return anyForced(); }));
}

TEST_F(HelperFaultTest, AClientKilledWhileHoldingHandsTheFansBack) {
    pid_t child = fork();
    if (child == 0) {
        RawClient holder;
        holder.call(ipc::SetFraction{1.0});
        pause();
        _exit(0);
    }
    ASSERT_TRUE(eventually([&] { return anyForced(); }));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
    EXPECT_TRUE(helper->running());
}

}  // namespace
}  // namespace ventoria::test
