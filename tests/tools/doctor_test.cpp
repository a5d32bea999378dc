// ventoriactl doctor on each kind of machine: what it says is what the helper would meet.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>

#include "helper_process.h"
#include "process.h"
#include "protocol_version.h"
#include "ventoria/ipc/protocol.h"
#include "virtual_mac_test.h"

namespace ventoria::test {
namespace {

using nlohmann::json;
using sim::KernelDriver;

json doctor() {
    auto result = run({program("ventoriactl"), "doctor", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    return json::parse(result.out);
}

std::string refusalOf(const json& report) {
    const auto& refusal = report["fans"]["refusal"];
    return refusal.is_null() ? std::string() : refusal.get<std::string>();
}

class DoctorTest;

struct Case {
    const char* name;
    KernelDriver driver;
    std::function<void(DoctorTest&)> setUp;
    const char* access;
    const char* refused;  // a part of the refusal; empty: none
    bool fansKnown;
};

class DoctorTest : public VirtualMacTest, public ::testing::WithParamInterface<Case> {
  public:
    DoctorTest() : VirtualMacTest(GetParam().driver) {}
    using VirtualMacTest::mac;
    using VirtualMacTest::root;
};

TEST_P(DoctorTest, SaysHowTheFansAreReachedAndWhetherTheyMayBeCommanded) {
    const auto& given = GetParam();
    if (given.setUp) given.setUp(*this);
    auto report = doctor();
    auto access = report["fans"]["access"].get<std::string>();
    EXPECT_EQ(access.find(given.access), 0u) << access;
    auto refusal = refusalOf(report);
    if (*given.refused == '\0') {
        EXPECT_EQ(refusal, "");
    } else {
        EXPECT_NE(refusal.find(given.refused), std::string::npos) << refusal;
    }
    EXPECT_EQ(report["fans"]["count"].is_number(), given.fansKnown);
    if (given.fansKnown) {
        EXPECT_EQ(report["fans"]["count"], 2);
        EXPECT_FALSE(report["fans"]["chip"].empty());
        EXPECT_FALSE(report["fans"]["case"].empty());
    }
    EXPECT_EQ(report["helper"]["installed"], false);
    EXPECT_TRUE(report["helper"]["version"].is_null());
}

INSTANTIATE_TEST_SUITE_P(
    EachMachine, DoctorTest,
    ::testing::Values(Case{"Mac", KernelDriver::none, nullptr, "the virtual Mac's SMC", "", true},
                      Case{"MacsmcWithoutFanControl", KernelDriver::macsmc,
                           [](DoctorTest& m) { m.mac->setFanControl(false); },
                           "the kernel's macsmc_hwmon driver", "fan_control=1", true},
                      Case{"ApplesmcBesideAnotherFanProgram", KernelDriver::applesmc,
                           [](DoctorTest& m) {
                               std::filesystem::create_directories(m.root.path() / "proc/4242");
                               std::ofstream(m.root.path() / "proc/4242/comm") << "mbpfan\n";
                           },
                           "the kernel's applesmc driver", "mbpfan (process 4242)", true},
                      Case{"ApplesmcUnloaded", KernelDriver::applesmc,
                           [](DoctorTest& m) { m.mac->setDriverLoaded(false); },
                           "no SMC driver of the kernel is loaded",
                           "No supported fan driver is loaded", false}),
    [](const ::testing::TestParamInfo<Case>& test) { return std::string(test.param.name); });

// A running helper is asked as the application asks it, and its version shown.
class DoctorHelperTest : public VirtualMacTest {};

TEST_F(DoctorHelperTest, AHelperThatAnswersIsShownWithItsVersion) {
    HelperProcess helper;
    auto report = doctor();
    EXPECT_EQ(report["helper"]["version"], kProtocolVersion);
    auto words = run({program("ventoriactl"), "doctor"});
    EXPECT_NE(words.out.find("answering (protocol " + std::string(kProtocolVersion) + ")"),
              std::string::npos)
        << words.out;
}

// A helper that takes the connection and never answers: the command is ended by Ctrl-C while
// its request is out. It ends as interrupted (130), says nothing of an unreachable helper, and
// the late failure of the request, as the connection closes, writes nowhere it should not (the
// sanitizer build would stop it).
TEST_F(DoctorHelperTest, ACommandInterruptedMidRequestEndsQuietly) {
    int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listening, 0);
    ::fcntl(listening, F_SETFL, O_NONBLOCK);  // taking a connection never waits for one
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    auto path = ipc::socketPath();
    std::filesystem::create_directories(path.parent_path());
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 4), 0);
    for (const auto& command :
         {std::vector<std::string>{"helper", "version"}, std::vector<std::string>{"doctor"}}) {
        auto arguments = command;
        arguments.insert(arguments.begin(), program("ventoriactl"));
        // Interrupted once it has connected: its request is out, never answered.
        auto result = run(arguments, Interrupt{.after = std::chrono::seconds(30),
                                               .signal = SIGINT,
                                               .whenReadable = listening});
        EXPECT_EQ(result.status, 130) << command[0] << ": " << result.err;
        EXPECT_EQ(result.err.find("Is VentoriaHelper running"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "") << command[0];
        // Its connection, still waiting to be taken, must not interrupt the next command.
        if (int pending = ::accept(listening, nullptr, nullptr); pending >= 0) ::close(pending);
    }
    ::close(listening);
}

}  // namespace
}  // namespace ventoria::test
