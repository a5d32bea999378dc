// The fan policy over the Linux kernel's SMC drivers, through the real files the virtual
// driver serves: the same control steps as over the SMC, and the kernel's own refusals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "ventoria/hardware/control_ports.h"
#include "ventoria/hardware/fans.h"
#include "ventoria/hardware/smc_drivers.h"
#include "virtual_mac_test.h"

namespace ventoria::hardware {
namespace {

using sim::KernelDriver;
using test::VirtualMacTest;

class DriverFansTest : public VirtualMacTest, public ::testing::WithParamInterface<KernelDriver> {
  protected:
    explicit DriverFansTest(KernelDriver driver = GetParam())
        : VirtualMacTest(driver), ports(openControlPorts()), fans(ports.fans) {
        if (driver == KernelDriver::macsmc) mac->setFanControl(true);
    }

    bool forced(std::size_t fan) { return machine().fans.at(fan).forced; }
    double target(std::size_t fan) { return machine().fans.at(fan).target; }
    // A control step over and over until it settles: how many it took, at most `most`.
    int stepsToSettle(std::optional<double> fraction, Fans& by, int most = 4) {
        for (int step = 1; step <= most; ++step) {
            if (by.apply(fraction)) return step;
        }
        return 0;
    }

    ControlPorts ports;
    Fans fans;
};

// One step writes, the next finds everything as asked: forcing and handing back alike, on
// every driver, so the loop stops exactly when the fans are where they were asked to be.
TEST_P(DriverFansTest, EachStepWritesOnlyUntilTheFansAreAsAsked) {
    EXPECT_FALSE(fans.apply(0.5));
    EXPECT_TRUE(fans.apply(0.5));
    auto shot = machine();
    for (const auto& fan : shot.fans) {
        EXPECT_TRUE(fan.forced) << fan.id;
        EXPECT_NEAR(fan.target, std::max(fan.min, fan.max * 0.5), 1.0) << fan.id;
    }
    EXPECT_FALSE(fans.apply(std::nullopt));
    EXPECT_TRUE(fans.apply(std::nullopt));
    for (const auto& fan : machine().fans) EXPECT_FALSE(fan.forced) << fan.id;
    EXPECT_NE(machine().ftst, 1.0);
}

TEST_P(DriverFansTest, ATargetIsNeverBelowTheMinimum) {
    ASSERT_GT(stepsToSettle(0.0, fans), 0);
    for (const auto& fan : machine().fans) EXPECT_NEAR(fan.target, fan.min, 1.0) << fan.id;
}

// A helper that died holding the fans is followed by one that knows nothing: on macsmc_hwmon
// it cannot even read that they are forced, and must hand back to know.
TEST_P(DriverFansTest, ASuccessorHandsBackWhatItsPredecessorLeftForced) {
    ASSERT_GT(stepsToSettle(1.0, fans), 0);
    auto successorPorts = openControlPorts();
    Fans successor(successorPorts.fans);
    EXPECT_FALSE(successor.apply(std::nullopt));
    EXPECT_FALSE(forced(0));
    EXPECT_FALSE(forced(1));
    EXPECT_TRUE(successor.apply(std::nullopt));
}

// Several models forget manual mode across sleep: the next step notices and forces again.
TEST_P(DriverFansTest, AResumeThatForgetsManualModeIsMendedByTheNextStep) {
    ASSERT_GT(stepsToSettle(0.6, fans), 0);
    mac->resume();
    advance(1);  // the machine's own controller takes over at once
    EXPECT_FALSE(forced(0));
    EXPECT_FALSE(fans.apply(0.6));
    EXPECT_TRUE(forced(0));
    EXPECT_TRUE(forced(1));
    EXPECT_TRUE(fans.apply(0.6));
}

// T2 sleep recipes unload the driver: open files answer ENODEV, the fans are unknown (never
// "none"), and once it is back, under another hwmon number, the fans are found again.
TEST_P(DriverFansTest, AnUnloadedDriverLeavesTheFansUnknownUntilItIsFoundAgain) {
    ASSERT_GT(stepsToSettle(0.7, fans), 0);
    mac->setDriverLoaded(false);
    EXPECT_FALSE(fans.apply(0.7));
    EXPECT_EQ(fans.knownFanCount(), std::nullopt);
    EXPECT_NE(fans.unavailable().find("driver is unavailable"), std::string::npos);
    mac->setDriverLoaded(true);
    EXPECT_EQ(fans.knownFanCount(), 2);
    EXPECT_GT(stepsToSettle(std::nullopt, fans), 0);
    EXPECT_FALSE(forced(0));
    EXPECT_FALSE(forced(1));
}

// A file belongs to the load it was opened under, the first load's too: after an unload it
// answers ENODEV, as the kernel's sysfs does, and goes on doing so once the driver is back at
// the same path. Only a file opened afresh reads the new load.
TEST_P(DriverFansTest, AFileOpenedBeforeAnUnloadAnswersNoDeviceEvenOnceTheDriverIsBack) {
    auto input = [] {
        auto sys = sysfsRoot();
        auto driver = findSMCDriver(sys);
        auto folder = driver ? driverFolder(sys, *driver) : std::nullopt;
        return folder ? *folder / "fan1_input" : std::filesystem::path();
    };
    int early = ::open(input().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(early, 0);
    char buffer[32];
    EXPECT_GT(::pread(early, buffer, sizeof buffer, 0), 0);
    mac->setDriverLoaded(false);
    EXPECT_EQ(::pread(early, buffer, sizeof buffer, 0), -1);
    EXPECT_EQ(errno, ENODEV);
    mac->setDriverLoaded(true);
    EXPECT_EQ(::pread(early, buffer, sizeof buffer, 0), -1);
    EXPECT_EQ(errno, ENODEV);
    int fresh = ::open(input().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fresh, 0);
    EXPECT_GT(::pread(fresh, buffer, sizeof buffer, 0), 0);
    ::close(fresh);
    ::close(early);
}

std::string driverName(const ::testing::TestParamInfo<KernelDriver>& info) {
    const char* names[] = {"None", "Applesmc", "ApplesmcT2", "Macsmc"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryDriver, DriverFansTest,
                         ::testing::Values(KernelDriver::applesmc, KernelDriver::applesmcT2,
                                           KernelDriver::macsmc),
                         driverName);

int refusedWith(FanControlPort& port, double rpm) {
    try {
        port.setTarget(0, rpm);
    } catch (const SMCError& error) {
        return error.code();
    }
    return 0;
}

class MacsmcTest : public VirtualMacTest {
  protected:
    MacsmcTest() : VirtualMacTest(KernelDriver::macsmc), ports(openControlPorts()) {}
    ControlPorts ports;
};

TEST_F(MacsmcTest, WithoutFanControlEveryWriteIsRefusedAndTheRefusalSaysWhatItCosts) {
    auto refusal = ports.fans->refusal();
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("fan_control=1"), std::string::npos);
    EXPECT_NE(refusal->find("taints the kernel"), std::string::npos);
    EXPECT_EQ(refusedWith(*ports.fans, 3000), EOPNOTSUPP);
    Fans fans(ports.fans);
    EXPECT_FALSE(fans.apply(0.5));
    EXPECT_FALSE(machine().fans[0].forced);

    mac->setFanControl(true);
    EXPECT_EQ(ports.fans->refusal(), std::nullopt);
}

// The driver takes a speed within the fan's limits, or 0 to hand back, and nothing else.
TEST_F(MacsmcTest, ASpeedOutsideTheLimitsIsInvalid) {
    mac->setFanControl(true);
    EXPECT_EQ(refusedWith(*ports.fans, 100), EINVAL);
    EXPECT_EQ(refusedWith(*ports.fans, 99'999), EINVAL);
    EXPECT_EQ(refusedWith(*ports.fans, 3000), 0);
    EXPECT_TRUE(machine().fans[0].forced);
}

class ApplesmcTest : public VirtualMacTest {
  protected:
    ApplesmcTest() : VirtualMacTest(KernelDriver::applesmc), ports(openControlPorts()) {}
    ControlPorts ports;
};

TEST_F(ApplesmcTest, AValueBeyondTheSMCsRangeIsInvalid) {
    EXPECT_EQ(refusedWith(*ports.fans, 16384), EINVAL);
    EXPECT_EQ(refusedWith(*ports.fans, 16383), 0);  // applesmc does not clamp: we must
}

// The files are root's to write (writable by their owner alone): a helper started as anyone
// else hears why every write would fail, before it tries one, with the program that asked.
TEST_F(ApplesmcTest, AHelperThatIsNotRootIsToldTheFilesAreRootsAlone) {
    EXPECT_EQ(ports.fans->refusal(), std::nullopt);  // root may
    std::filesystem::permissions(root.path(), std::filesystem::perms(0755));
    pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(10);
        auto refusal = openControlPorts().fans->refusal();
        auto asker = std::string(program_invocation_short_name) + " does not run as root";
        _exit(refusal && refusal->find("root alone") != std::string::npos &&
                      refusal->find(asker) != std::string::npos
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(MacsmcTest, AnotherFanProgramIsNamedAndTheFansAreLeftToIt) {
    mac->setFanControl(true);
    std::filesystem::create_directories(root.path() / "proc/4242");
    std::ofstream(root.path() / "proc/4242/comm") << "mbpfan\n";
    auto refusal = ports.fans->refusal();
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("mbpfan (process 4242)"), std::string::npos);
}

}  // namespace
}  // namespace ventoria::hardware
