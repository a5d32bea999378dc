#include "ventoria/sim/virtual_mac.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>

#include "temporary_root.h"
#include "ventoria/sim/value_codec.h"
#include "virtual_mac_test.h"

namespace ventoria::sim {
namespace {

using test::VirtualMacTest;

// A raw user-client call, as the kernel would see it.
struct Call {
    std::uint8_t in[kParamSize] = {};
    std::uint8_t out[kParamSize] = {};
    std::size_t outSize = kParamSize;

    Call(Command command, std::string_view key, std::uint32_t infoSize = 0) {
        auto code = codeOf(key);
        std::memcpy(in, &code, 4);
        std::memcpy(in + 28, &infoSize, 4);
        in[42] = static_cast<std::uint8_t>(command);
    }
    std::int32_t on(VirtualMac& mac) {
        return mac.call(kStructSelector, in, kParamSize, out, &outSize);
    }
    std::uint8_t result() const { return out[40]; }
};

class MachineTest : public VirtualMacTest {};

TEST_F(MachineTest, TheServiceAnswersTheRecordItIsGiven) {
    Call info(Command::readKeyInfo, "F0Mx");
    ASSERT_EQ(info.on(*mac), 0);
    std::uint32_t size = 0;
    std::memcpy(&size, info.out + 28, 4);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(info.out + 32, "\x20tlf", 4), 0);  // "flt " in host order

    Call read(Command::readBytes, "F0Mx", 4);
    ASSERT_EQ(read.on(*mac), 0);
    EXPECT_EQ(decodeValue("flt ", std::span(read.out + 48, 4)), 5700.0);
}

// A key that fails only sometimes: every third call of it fails, whatever the call, and the
// calls between are served; set again, the count starts afresh.
TEST_F(MachineTest, AKeyThatFailsEveryThirdCallServesTheTwoBetween) {
    fault("F0Mx", FaultKind::result, 0x84, 3);
    auto outcomes = [&] {
        std::vector<int> results;
        for (int call = 0; call < 6; ++call) {
            Call read(Command::readBytes, "F0Mx", 4);
            EXPECT_EQ(read.on(*mac), 0);
            results.push_back(read.result());
        }
        return results;
    };
    EXPECT_EQ(outcomes(), (std::vector<int>{0, 0, 0x84, 0, 0, 0x84}));
    fault("F0Mx", FaultKind::kernel, static_cast<int>(kKernelNoDevice), 2);
    Call info(Command::readKeyInfo, "F0Mx");
    EXPECT_EQ(info.on(*mac), 0);
    EXPECT_EQ(info.on(*mac), kKernelNoDevice);
    fault("F0Mx", FaultKind::none);
    EXPECT_EQ(outcomes(), std::vector<int>(6, 0));
}

TEST_F(MachineTest, MalformedCallsFailInTheKernel) {
    Call call(Command::readKeyInfo, "F0Mx");
    EXPECT_EQ(mac->call(7, call.in, kParamSize, call.out, &call.outSize), kKernelUnsupported);
    EXPECT_EQ(mac->call(kStructSelector, call.in, 79, call.out, &call.outSize), kKernelBadArgument);
    std::size_t small = 40;
    EXPECT_EQ(mac->call(kStructSelector, call.in, kParamSize, call.out, &small),
              kKernelBadArgument);
}

TEST_F(MachineTest, TheServiceRefusesWhatARealOneWould) {
    Call missing(Command::readBytes, "Nope", 4);
    missing.on(*mac);
    EXPECT_EQ(missing.result(), kResultKeyNotFound);
    Call wrongSize(Command::readBytes, "F0Mx", 2);
    wrongSize.on(*mac);
    EXPECT_EQ(wrongSize.result(), kResultSizeMismatch);
    Call measured(Command::writeBytes, "F0Ac", 4);
    measured.on(*mac);
    EXPECT_EQ(measured.result(), kResultNotWritable);
    Call unknown(static_cast<Command>(3), "F0Ac");
    unknown.on(*mac);
    EXPECT_EQ(unknown.result(), kResultBadCommand);
}

TEST_F(MachineTest, CountersCountEveryCallByCommand) {
    Call(Command::readKeyInfo, "F0Mx").on(*mac);
    Call(Command::readBytes, "F0Mx", 4).on(*mac);
    Call(Command::readBytes, "Nope", 4).on(*mac);
    auto calls = machine().calls;
    EXPECT_EQ(calls.readKeyInfo, 1u);
    EXPECT_EQ(calls.readBytes, 2u);
    mac->resetCounters();
    EXPECT_EQ(machine().calls.readBytes, 0u);
}

TEST_F(MachineTest, AWorkloadHeatsTheChipAndTheMachineSpinsUpItsFans) {
    auto cool = machine();
    mac->setLoad(100);
    advance(120);
    auto hot = machine();
    EXPECT_GT(*hot.chip, *cool.chip + 25);
    EXPECT_GT(*hot.chassis, *cool.chassis);
    EXPECT_GT(hot.fans[0].actual, cool.fans[0].actual + 500);
    EXPECT_FALSE(hot.fans[0].forced);
}

TEST_F(MachineTest, ForcedFansSlewTowardTheirTargetAndCoolTheChip) {
    mac->setLoad(100);
    setValue("Ftst", 1);
    setValue("F0Md", 1);
    setValue("F1Md", 1);
    setValue("F0Tg", 5700);
    setValue("F1Tg", 6200);
    advance(1);
    auto rising = machine();
    EXPECT_GT(rising.fans[0].actual, 3000);
    EXPECT_LT(rising.fans[0].actual, 5700);
    advance(300);
    auto maxed = machine();
    EXPECT_NEAR(maxed.fans[0].actual, 5700, 1);
    EXPECT_LT(*maxed.chip, 80);
}

TEST_F(MachineTest, AHotChipRaisesThermalPressure) {
    mac->setLoad(100);
    setValue("Ftst", 1);
    setValue("F0Md", 1);
    setValue("F1Md", 1);
    setValue("F0Tg", 0);
    setValue("F1Tg", 0);
    advance(400);
    EXPECT_GE(machine().pressure, 1);
    mac->setPressure(0);
    EXPECT_EQ(mac->pressureLevel(), 0);
    mac->setPressure(std::nullopt);
}

TEST_F(MachineTest, TheSameSeedAndClockGiveTheSameMachine) {
    test::TemporaryRoot other;
    auto twin = VirtualMac::create(
        other.path(), {.profile = Profile::appleSilicon, .clock = ClockMode::manual, .seed = 1});
    for (auto* m : {mac.get(), twin.get()}) {
        m->setLoadWave();
        m->advance(std::chrono::seconds(97));
    }
    auto a = mac->snapshot();
    auto b = twin->snapshot();
    EXPECT_EQ(a.chip, b.chip);
    EXPECT_EQ(a.fans[1].actual, b.fans[1].actual);
    EXPECT_EQ(mac->dump("Tp05")->bytes, twin->dump("Tp05")->bytes);
}

TEST_F(MachineTest, EveryMappingSeesOneMachineAndAResetInPlace) {
    auto second = VirtualMac::open(root.path());
    second->setLoad(77);
    EXPECT_EQ(machine().load, 77);
    VirtualMac::create(root.path(),
                       {.profile = Profile::intel, .clock = ClockMode::manual, .seed = 1});
    EXPECT_EQ(machine().profile, Profile::intel);
    EXPECT_EQ(mac->dump("F0Ac")->type, "fpe2");
}

// A program that dies while it holds the machine must not wedge every other program on it.
TEST_F(MachineTest, AHolderThatDiesLetsGoOfTheMachine) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0) {
        int fd = ::open(VirtualMac::statePath(root.path()).c_str(), O_RDWR);
        flock(fd, LOCK_EX);  // as a VirtualMac holds it for the length of one operation
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    close(ready[1]);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    auto waiting = std::async(std::launch::async, [this] { return machine().load; });
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_GE(waiting.get(), 0);
}

TEST_F(MachineTest, ControlsRejectNonsense) {
    EXPECT_THROW(mac->setLoad(101), SimError);
    EXPECT_THROW(mac->setValue("Nope", 1), SimError);
    mac->setRaw("Name", "ch8*", {'M', 'a', 'c'});
    EXPECT_THROW(mac->setValue("Name", 1), SimError);  // text holds no number
    EXPECT_THROW(mac->setFault("#x", {}), SimError);
    EXPECT_THROW(mac->setRaw("TooLong", "ui8 ", {1}), SimError);
}

TEST_F(MachineTest, ADetachedSMCCannotBeFoundOrCalledUntilItReturns) {
    mac->setDetached(true);
    EXPECT_FALSE(mac->hasSMCService());
    EXPECT_EQ(Call(Command::readKeyInfo, "FNum").on(*mac), static_cast<std::int32_t>(0xE00002C0));
    EXPECT_TRUE(mac->snapshot().detached);
    mac->setDetached(false);
    EXPECT_TRUE(mac->hasSMCService());
    EXPECT_EQ(Call(Command::readKeyInfo, "FNum").on(*mac), 0);
}

// Who sits at the machine is whoever made it; only its owner may change the machine.
TEST_F(MachineTest, TheRootHasAConsoleOwnedByItsCreatorAndAStateOnlyTheOwnerWrites) {
    struct stat console {
    }, state{};
    ASSERT_EQ(::stat((root.path() / "dev/console").c_str(), &console), 0);
    EXPECT_EQ(console.st_uid, geteuid());
    ASSERT_EQ(::stat(VirtualMac::statePath(root.path()).c_str(), &state), 0);
    EXPECT_EQ(state.st_mode & 0022, 0u);
    std::filesystem::remove(root.path() / "dev/console");
    VirtualMac::open(root.path());
    EXPECT_TRUE(std::filesystem::exists(root.path() / "dev/console"));
}

// The file is the machine's owner's to scribble on; a program that maps it must not follow
// a count or an enumeration out of bounds, so a file that does not hold together is rebooted.
TEST(MachineBoot, AStateFileThatDoesNotHoldTogetherIsBootedAfresh) {
    test::TemporaryRoot root;
    const std::pair<std::size_t, std::uint32_t> damage[] = {
        {offsetof(MachineState, keyCount), 5000},
        {offsetof(MachineState, fanCount), 9},
        {offsetof(MachineState, profile), 7},
        {offsetof(MachineState, manualNanos), 0xFFFFFFFF},  // a negative time
        {offsetof(MachineState, keys) + offsetof(KeyRecord, size), 200},
    };
    for (auto [offset, value] : damage) {
        VirtualMac::create(root.path(),
                           {.profile = Profile::intel, .clock = ClockMode::manual, .seed = 1});
        {
            std::fstream file(VirtualMac::statePath(root.path()),
                              std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(offset));
            file.write(reinterpret_cast<const char*>(&value), sizeof value);
            if (offset == offsetof(MachineState, manualNanos)) {
                file.write(reinterpret_cast<const char*>(&value), sizeof value);
            }
        }
        auto mac = VirtualMac::open(root.path());
        EXPECT_EQ(mac->snapshot().profile, Profile::appleSilicon) << offset;  // the default
        EXPECT_GT(mac->snapshot().keyCount, 300u) << offset;
    }
}

// A file cut short or written over while processes map it is, to them, an SMC that went away:
// every call fails as the kernel's would, nothing reads past the file's end, and a sound
// machine put in its place is found again.
TEST(MachineBoot, AStateFileThatChangesUnderAMappingIsAnSMCGoneAway) {
    test::TemporaryRoot root;
    auto path = VirtualMac::statePath(root.path());
    const std::pair<std::size_t, std::uint32_t> damage[] = {
        {offsetof(MachineState, keyCount), 5000},  // beyond the table
        {offsetof(MachineState, fanCount), 1000000},
        {offsetof(MachineState, magic), 0},
    };
    auto gone = [](VirtualMac& mac) {
        Call read(Command::readKeyInfo, "#KEY");
        EXPECT_EQ(read.on(mac), kKernelNoDevice);
        EXPECT_FALSE(mac.hasSMCService());
        EXPECT_FALSE(mac.intact());
        EXPECT_EQ(mac.latencyMicros(), 0u);
        EXPECT_THROW(mac.snapshot(), MachineGone);
    };
    for (auto [offset, value] : damage) {
        auto mac = VirtualMac::create(
            root.path(), {.profile = Profile::intel, .clock = ClockMode::manual, .seed = 1});
        {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(offset));
            file.write(reinterpret_cast<const char*>(&value), sizeof value);
        }
        gone(*mac);
    }
    auto mac = VirtualMac::create(
        root.path(), {.profile = Profile::intel, .clock = ClockMode::manual, .seed = 1});
    std::filesystem::resize_file(path, 4096);
    gone(*mac);
    EXPECT_EQ(VirtualMac::attach(root.path()), nullptr);  // nothing sound to find, none made
    VirtualMac::create(root.path(),
                       {.profile = Profile::appleSilicon, .clock = ClockMode::manual, .seed = 1});
    auto found = VirtualMac::attach(root.path());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->snapshot().profile, Profile::appleSilicon);
}

// A fan key whose fan number is not a fan, or a key that claims a size no record has: the
// machine answers without reading or writing past its tables.
TEST_F(MachineTest, KeysThatClaimTheImpossibleAreServedWithinBounds) {
    auto path = VirtualMac::statePath(root.path());
    auto snapshot = machine();
    ASSERT_GT(snapshot.keyCount, 0u);
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        for (std::size_t i = 0; i < snapshot.keyCount; ++i) {
            auto record = offsetof(MachineState, keys) + i * sizeof(KeyRecord);
            std::uint8_t fan = 200;
            file.seekp(static_cast<std::streamoff>(record + offsetof(KeyRecord, fan)));
            file.write(reinterpret_cast<const char*>(&fan), 1);
        }
    }
    Call read(Command::readBytes, "F0Ac", 4);
    EXPECT_EQ(read.on(*mac), 0);
    EXPECT_EQ(read.result(), 0);
}

// A system root on a full disk: the machine cannot boot, says so, and leaves nothing behind
// (mapping a file whose blocks were never reserved would kill the process instead).
TEST(MachineBoot, AFullDiskIsAnErrorAndLeavesNoFileBehind) {
    test::TemporaryRoot root;
    if (geteuid() != 0 ||
        std::system(("mount -t tmpfs -o size=64k tmpfs " + root.path().string() + " 2>/dev/null")
                        .c_str()) != 0) {
        GTEST_SKIP() << "needs a small file system: root may mount one";
    }
    EXPECT_THROW(VirtualMac::create(root.path(), {}), SimError);
    EXPECT_THROW(VirtualMac::open(root.path()), SimError);
    auto machineDirectory = VirtualMac::statePath(root.path()).parent_path();
    EXPECT_TRUE(!std::filesystem::exists(machineDirectory) ||
                std::filesystem::is_empty(machineDirectory));
    std::system(("umount " + root.path().string()).c_str());
}

TEST(MachineClock, TheRealClockCannotBeAdvancedByHand) {
    test::TemporaryRoot root;
    auto mac = VirtualMac::create(root.path(), {});
    EXPECT_THROW(mac->advance(std::chrono::seconds(1)), SimError);
}

TEST(MachineBoot, AFreshRootBootsTheDefaultMachineOnFirstUse) {
    test::TemporaryRoot root;
    auto mac = VirtualMac::open(root.path());
    EXPECT_EQ(mac->snapshot().profile, Profile::appleSilicon);
    EXPECT_GT(mac->snapshot().keyCount, 300u);
    EXPECT_TRUE(std::filesystem::exists(VirtualMac::statePath(root.path())));
}

}  // namespace
}  // namespace ventoria::sim
