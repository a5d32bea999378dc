// The real VentoriaHelper on Macs that run Linux: the virtual Mac seen through each kernel
// driver's files, with the faults such machines have (a file that fails, a driver unloaded
// by a sleep recipe, a wake that forgets manual mode) and the refusals they need.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>
#include <vector>

#include "helper_process.h"
#include "virtual_mac_test.h"

namespace ventoria::test {
namespace {

using namespace std::chrono_literals;
using sim::FaultKind;
using sim::KernelDriver;

class DriverHelperTest : public VirtualMacTest {
  protected:
    explicit DriverHelperTest(KernelDriver driver, bool fanControl = true)
        : VirtualMacTest(driver) {
        if (driver == KernelDriver::macsmc) mac->setFanControl(fanControl);
        helper.emplace();
    }
    bool anyForced() {
        auto fans = machine().fans;
        return fans[0].forced || fans[1].forced;
    }
    bool handedBack() { return !anyForced() && machine().ftst.value_or(0) == 0.0; }

    std::optional<HelperProcess> helper;
};

enum class Scenario { fixedHold, handingBack, terminated };
enum class DriverFault { targetFails, modeFails, unloaded, resumed };

using Case = std::tuple<KernelDriver, Scenario, DriverFault>;

class DriverFaultMatrixTest : public DriverHelperTest, public ::testing::WithParamInterface<Case> {
  protected:
    DriverFaultMatrixTest() : DriverHelperTest(std::get<KernelDriver>(GetParam())) {}

    void inject(bool on) {
        auto driver = std::get<KernelDriver>(GetParam());
        auto kind = on ? FaultKind::kernel : FaultKind::none;
        switch (std::get<DriverFault>(GetParam())) {
            case DriverFault::targetFails:
                fault("F0Tg", kind, static_cast<int>(0xE00002BC));
                break;
            case DriverFault::modeFails:
                fault(driver == KernelDriver::applesmc ? "FS! " : "F0Md", kind,
                      static_cast<int>(0xE00002BC));
                break;
            case DriverFault::unloaded:
                mac->setDriverLoaded(!on);
                break;
            case DriverFault::resumed:
                if (on) mac->resume();
                break;
        }
    }
};

TEST_P(DriverFaultMatrixTest, TheFansEndWithTheMachineOnceTheFaultClears) {
    auto scenario = std::get<Scenario>(GetParam());
    std::optional<RawClient> client{std::in_place};
    ASSERT_EQ(client->call(ipc::SetFraction{0.8}), std::nullopt);
    ASSERT_TRUE(eventually([&] { return anyForced(); }));

    inject(true);
    if (scenario == Scenario::handingBack) client.reset();
    if (scenario == Scenario::terminated) {
        expectTerminationHandsBack(
            helper, [&] { inject(false); }, [&] { return handedBack(); });
        return;
    }
    std::this_thread::sleep_for(1500ms);  // two ticks with the fault
    for (const auto& fan : machine().fans) {
        if (!fan.forced) continue;
        EXPECT_GE(fan.target, fan.min) << fan.id;
        EXPECT_LE(fan.target, fan.max) << fan.id;
    }
    inject(false);
    if (scenario == Scenario::fixedHold) {
        // Held through the fault: forced again at the asked speed within a tick or two.
        EXPECT_TRUE(eventually([&] { return machine().fans[0].forced; }));
    }
    client.reset();
    EXPECT_TRUE(eventually([&] { return handedBack(); }, 15s));
    EXPECT_TRUE(helper->running());
}

std::string nameOf(const ::testing::TestParamInfo<Case>& info) {
    const char* drivers[] = {"None", "Applesmc", "ApplesmcT2", "Macsmc"};
    const char* scenarios[] = {"FixedHold", "HandingBack", "Terminated"};
    const char* faults[] = {"TargetFails", "ModeFails", "Unloaded", "Resumed"};
    auto [driver, scenario, fault] = info.param;
    return std::string(drivers[static_cast<int>(driver)]) + "_" +
           scenarios[static_cast<int>(scenario)] + "_" + faults[static_cast<int>(fault)];
}

INSTANTIATE_TEST_SUITE_P(
    EveryDriverFault, DriverFaultMatrixTest,
    ::testing::Combine(::testing::Values(KernelDriver::applesmc, KernelDriver::macsmc),
                       ::testing::Values(Scenario::fixedHold, Scenario::handingBack,
                                         Scenario::terminated),
                       ::testing::Values(DriverFault::targetFails, DriverFault::modeFails,
                                         DriverFault::unloaded, DriverFault::resumed)),
    nameOf);

// A mode key that fails only sometimes, seen through the kernel's files as EIO now and then:
// a client's leaving still gives the fans back while it goes on failing.
class FlakyModeTest : public DriverHelperTest, public ::testing::WithParamInterface<KernelDriver> {
  protected:
    FlakyModeTest() : DriverHelperTest(GetParam()) {}
};

TEST_P(FlakyModeTest, AModeThatFailsOnlySometimesIsStillHandedBack) {
    bool applesmc = GetParam() == KernelDriver::applesmc;
    auto modeKey = applesmc ? "FS! " : "F0Md";
    // Both fans' modes are one key on applesmc: failing strictly every other call, it fails
    // every look at one of them, which no machine's flaky key does and no retry can help.
    for (std::uint32_t every : applesmc ? std::vector{3u, 5u} : std::vector{2u, 3u}) {
        SCOPED_TRACE(std::string(modeKey) + " failing every " + std::to_string(every));
        {
            RawClient client;
            ASSERT_EQ(client.call(ipc::SetFraction{0.8}), std::nullopt);
            ASSERT_TRUE(eventually([&] { return anyForced(); }));
            fault(modeKey, FaultKind::kernel, static_cast<int>(0xE00002BC), every);
        }
        EXPECT_TRUE(eventually([&] { return handedBack(); }, 15s));
        fault(modeKey, FaultKind::none);
        ASSERT_TRUE(helper->running());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDriver, FlakyModeTest,
                         ::testing::Values(KernelDriver::applesmc, KernelDriver::macsmc),
                         [](const ::testing::TestParamInfo<KernelDriver>& driver) {
                             return driver.param == KernelDriver::applesmc ? "Applesmc" : "Macsmc";
                         });

class MacsmcHelperTest : public DriverHelperTest {
  protected:
    MacsmcHelperTest() : DriverHelperTest(KernelDriver::macsmc, false) {}
};

// Without the module parameter the helper cannot do what is asked, and says what would let
// it, and at what price, instead of failing write after write.
TEST_F(MacsmcHelperTest, WithoutFanControlAChoiceIsRefusedInWords) {
    RawClient client;
    auto refused = client.call(ipc::SetFraction{1.0});
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("fan_control=1"), std::string::npos);
    EXPECT_NE(refused->find("taints the kernel"), std::string::npos);
    EXPECT_EQ(machine().calls.writeBytes, 0u);
    mac->setFanControl(true);
    EXPECT_EQ(client.call(ipc::SetFraction{1.0}), std::nullopt);
    EXPECT_TRUE(eventually([&] { return anyForced(); }));
}

class ApplesmcHelperTest : public DriverHelperTest {
  protected:
    ApplesmcHelperTest() : DriverHelperTest(KernelDriver::applesmc) {}
    void startFanProgram() {
        std::filesystem::create_directories(root.path() / "proc/4242");
        std::ofstream(root.path() / "proc/4242/comm") << "mbpfan\n";
    }
};

// A second writer is named to the client that asks, and one that starts while Ventoria holds
// the fans gets them: the helper drops its choice and writes nothing more, not even a
// hand-back the other program would have to undo.
TEST_F(ApplesmcHelperTest, AnotherFanProgramIsNamedAndNeverFought) {
    RawClient client;
    ASSERT_EQ(client.call(ipc::SetFraction{1.0}), std::nullopt);
    ASSERT_TRUE(eventually([&] { return anyForced(); }));
    startFanProgram();
    mac->resetCounters();
    std::this_thread::sleep_for(7s);  // past the look every 8 ticks
    mac->resetCounters();
    std::this_thread::sleep_for(1600ms);
    EXPECT_EQ(machine().calls.writeBytes, 0u);
    EXPECT_TRUE(anyForced());  // left as the other program now holds them
    auto refused = client.call(ipc::SetFraction{0.5});
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("mbpfan (process 4242)"), std::string::npos);
    // Nor when a client hands back and leaves, nor when it stops: the fans are not its to
    // hand back.
    {
        RawClient other;
        EXPECT_EQ(other.call(ipc::SetAuto{}), std::nullopt);
    }
    std::this_thread::sleep_for(1600ms);
    EXPECT_EQ(helper->stop(SIGTERM), 0);
    EXPECT_EQ(machine().calls.writeBytes, 0u);
    EXPECT_TRUE(anyForced());
}

// Without its driver the helper cannot reach the fans, and names what is missing: not the SMC
// of a Mac, but the kernel's driver.
TEST_F(ApplesmcHelperTest, ADriverThatIsAwayIsNamedInTheRefusal) {
    mac->setDriverLoaded(false);
    RawClient client;
    EXPECT_EQ(client.call(ipc::SetFraction{1.0}), "The applesmc driver is unavailable");
    mac->setDriverLoaded(true);
    EXPECT_EQ(client.call(ipc::SetFraction{1.0}), std::nullopt);
    EXPECT_TRUE(eventually([&] { return anyForced(); }));
}

}  // namespace
}  // namespace ventoria::test
