// The real VentoriaHelper against peers that misbehave, by accident or on purpose. Whatever a
// peer does, the daemon keeps running, answers everyone else, and no peer keeps the fans
// forced once their owner has gone.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "helper_process.h"
#include "os_calls.h"
#include "protocol_version.h"
#include "ventoria/ipc/protocol.h"
#include "ventoria/platform/system_root.h"
#include "virtual_mac_test.h"

namespace ventoria::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// On the virtual Mac's SMC and through a Linux kernel driver's files: the peers are the same,
// and so must be what they can do.
class HostilePeerTest : public VirtualMacTest,
                        public ::testing::WithParamInterface<sim::KernelDriver> {
  protected:
    HostilePeerTest() : VirtualMacTest(GetParam()) {}

    bool forced() {
        auto fans = machine().fans;
        return fans[0].forced || fans[1].forced;
    }
    // The helper still serves a well-behaved client.
    void expectServing() {
        ASSERT_TRUE(helper.running());
        RawClient client;
        EXPECT_EQ(client.call(ipc::Version{}), test::kProtocolVersion);
    }
    // Lets other users reach the socket, so that whatever refuses them is the helper.
    static void openToOtherUsers() {
        for (auto dir = ipc::socketPath().parent_path(); dir != "/" && dir != "/tmp";
             dir = dir.parent_path()) {
            chmod(dir.c_str(), 0755);
        }
    }
    // The machine's console passes to `user`, who is then the person at the machine.
    static void consoleBelongsTo(uid_t user) {
        ASSERT_EQ(chown(platform::systemPath("/dev/console").c_str(), user, user), 0);
    }
    // Runs `body` in a child process of `user` (an unprivileged one) and returns its exit
    // status: what the body returned, 10 when the user could not be taken on, 11 when the
    // body threw.
    static int asUser(uid_t user, const std::function<int()>& body) {
        pid_t child = fork();
        if (child == 0) {
            if (setgid(user) != 0 || setuid(user) != 0) _exit(10);
            try {
                _exit(body());
            } catch (...) {
                _exit(11);
            }
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static constexpr uid_t kNobody = 65534;
    // How long a peer may stall us, in seconds of the machine's clock.
    static constexpr double kStallLimit = 5.0;

    HelperProcess helper;
};

TEST_P(HostilePeerTest, APeerThatStopsSendingStillGetsItsRepliesThenTheEnd) {
    RawClient client;
    auto fraction = client.send(ipc::SetFraction{0.7});
    auto version = client.send(ipc::Version{});
    client.halfClose();
    std::map<std::uint64_t, std::optional<std::string>> replies;  // the version may overtake
    for (int i = 0; i < 2; ++i) {
        auto reply = client.receive();
        ASSERT_TRUE(reply);
        replies[reply->id] = valueOf(*reply);
    }
    EXPECT_EQ(replies, (std::map<std::uint64_t, std::optional<std::string>>{
                           {fraction, std::nullopt}, {version, test::kProtocolVersion}}));
    EXPECT_TRUE(client.closedByHelper());
    // It has gone, so nobody holds the fans any more.
    EXPECT_TRUE(eventually([&] { return !forced() && machine().ftst.value_or(0) == 0.0; }));
    expectServing();
}

// A request followed by what breaks the stream: the connection ends while the reply to the
// request may still be on its way out, and nothing of it outlives the connection.
TEST_P(HostilePeerTest, BreakingTheStreamAfterARequestEndsOnlyThatConnection) {
    Bytes deep(8000, 0x91);  // arrays nested 8000 deep, within one frame
    deep.push_back(0xC0);
    const Bytes breakers[] = {
        {0, 0, 0, 0},                   // a zero-length frame
        ipc::frame(deep),               // nesting no request has
        {0x7F, 0xFF, 0xFF, 0xFF},       // a frame far beyond the cap
        {0, 0, 0x20, 1},                // one byte beyond it
        ipc::frame(Bytes{0x81, 0xA1}),  // a map cut short
        ipc::frame(Bytes(3000, 0xFF)),  // noise
    };
    for (int round = 0; round < 20; ++round) {
        for (const auto& bytes : breakers) {
            RawClient peer;
            peer.send(ipc::SetFraction{0.4});
            peer.sendBytes(bytes);
            if (round % 2) peer.halfClose();
            ASSERT_TRUE(helper.running());
        }
    }
    expectServing();
    EXPECT_TRUE(eventually([&] { return !forced(); }));
}

TEST_P(HostilePeerTest, RandomBytesChangeNothing) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        Bytes noise(std::uniform_int_distribution<std::size_t>(1, 600)(random));
        for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
        if (round % 3 == 0) noise.insert(noise.begin(), {0, 0, 0, 20});  // a plausible length
        RawClient peer;
        peer.sendBytes(noise);
    }
    expectServing();
    EXPECT_FALSE(forced());
}

// Requests that are never read back cost a bounded amount, and a peer that will not read
// its replies is dropped once a reply has waited the stall limit on the machine's clock,
// which stands still here until the test moves it.
TEST_P(HostilePeerTest, APeerThatNeverReadsItsRepliesCostsBoundedMemoryAndIsDroppedAtTheLimit) {
    long before = helper.residentKiB();
    RawClient greedy;
    fcntl(greedy.fd(), F_SETFL, O_NONBLOCK);
    auto request = ipc::frame(ipc::encodeRequest({1, ipc::Version{}}));
    Bytes burst;
    for (int i = 0; i < 256; ++i) burst.insert(burst.end(), request.begin(), request.end());
    std::size_t sent = 0;
    // Until the helper has taken nothing more for a second: its replies fill our side, and
    // the write it issued last waits. The limit runs from that write, at the clock's time now.
    constexpr int kRefusedSecond = 200;
    int refused = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (refused < kRefusedSecond && std::chrono::steady_clock::now() < deadline) {
        auto n = test::sendQuietly(greedy.fd(), burst.data(), burst.size());
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            refused = 0;
        } else {
            ++refused;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ASSERT_EQ(refused, kRefusedSecond) << "the helper never stopped reading";
    long during = helper.residentKiB();
    std::cout << "helper resident memory: " << before << " KiB before, " << during
              << " KiB with a peer that never reads (" << sent / request.size()
              << " requests sent)\n";
    EXPECT_LT(during - before, 8 * 1024);
    expectServing();
    advance(kStallLimit - 0.001);
    EXPECT_FALSE(greedy.hungUpOn(std::chrono::milliseconds(300)));
    advance(0.001);
    EXPECT_TRUE(greedy.hungUpOn(std::chrono::seconds(5)));
    expectServing();
}

// The limit runs from the frame's first bytes: a whole request and the start of the next,
// written at once, so that the request's reply says the start has been read.
TEST_P(HostilePeerTest, APeerWhoseFrameStaysIncompleteIsDroppedAtTheLimitAndNotCounted) {
    RawClient slow;
    {
        RawClient owner;
        owner.call(ipc::SetFraction{0.9});
        ASSERT_TRUE(eventually([&] { return forced(); }));
        auto bytes = ipc::frame(ipc::encodeRequest({1, ipc::Version{}}));
        bytes.insert(bytes.end(), {0, 0, 0, 40, 0x83});  // and nothing more, ever
        slow.sendBytes(bytes);
        ASSERT_TRUE(slow.receive());
    }
    // A peer that never asked for anything holds nothing: the owner's leaving hands back.
    EXPECT_TRUE(eventually([&] { return !forced() && machine().ftst.value_or(0) == 0.0; }));
    advance(kStallLimit - 0.001);
    EXPECT_FALSE(slow.closedByHelper(std::chrono::milliseconds(300)));
    advance(0.001);
    EXPECT_TRUE(slow.closedByHelper(std::chrono::seconds(5)));
    expectServing();
}

// A crowd of idle connections must not lock the person at the machine out: past the cap,
// each newcomer takes the place of the quietest connection of the user holding the most.
TEST_P(HostilePeerTest, ACrowdOfIdleConnectionsMakesRoomForThePersonAtTheMachine) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can become another user";
    std::vector<std::unique_ptr<RawClient>> crowd;
    for (int i = 0; i < 40; ++i) crowd.push_back(std::make_unique<RawClient>());
    EXPECT_EQ(crowd.back()->call(ipc::Version{}), test::kProtocolVersion);  // all accepted
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(crowd[i]->closedByHelper(std::chrono::seconds(2))) << "crowd " << i;
    }
    EXPECT_FALSE(crowd[8]->closedByHelper(std::chrono::milliseconds(100)));

    openToOtherUsers();
    consoleBelongsTo(kNobody);
    EXPECT_EQ(asUser(kNobody,
                     [] {
                         RawClient console;
                         return console.call(ipc::SetFraction{0.5}) == std::nullopt ? 0 : 1;
                     }),
              0);
    EXPECT_TRUE(crowd[8]->closedByHelper(std::chrono::seconds(2)));  // the quietest gave way
    EXPECT_EQ(crowd.back()->call(ipc::Version{}), test::kProtocolVersion);
    expectServing();
}

// Only the people at the machine command its fans: a peer of any other user is closed before
// a request of theirs is read.
TEST_P(HostilePeerTest, APeerOfAnotherUserIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can become another user";
    openToOtherUsers();
    EXPECT_EQ(
        asUser(kNobody,
               [] {
                   RawClient stranger;
                   stranger.sendBytes(ipc::frame(ipc::encodeRequest({1, ipc::SetFraction{0.0}})));
                   return stranger.closedByHelper() ? 0 : 1;
               }),
        0);
    EXPECT_FALSE(forced());
    expectServing();
}

// Whoever leaves the console leaves control of the fans with it: their connection, opened
// while they sat there, is closed at the next look at who may command, a second of the
// machine's clock after the last, and what it held goes.
TEST_P(HostilePeerTest, APeerWhoLeftTheConsoleLosesTheFansAtTheNextLook) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can become another user";
    openToOtherUsers();
    consoleBelongsTo(kNobody);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(10);
        RawClient holder;
        if (holder.call(ipc::SetFraction{1.0}) != std::nullopt) _exit(1);
        (void)!write(fds[1], "h", 1);
        if (holder.closedByHelper(std::chrono::seconds(30))) (void)!write(fds[1], "c", 1);
        _exit(0);
    }
    close(fds[1]);
    // What the holder says next, within `wait`: 'h' held, 'c' closed, 0 nothing.
    auto heard = [fd = fds[0]](std::chrono::milliseconds wait) {
        pollfd ready{fd, POLLIN, 0};
        char said = 0;
        if (poll(&ready, 1, static_cast<int>(wait.count())) == 1) (void)!read(fd, &said, 1);
        return said;
    };
    ASSERT_EQ(heard(std::chrono::seconds(10)), 'h');
    ASSERT_TRUE(eventually([&] { return forced(); }));
    consoleBelongsTo(0);  // someone else logs in
    advance(0.999);
    EXPECT_EQ(heard(std::chrono::milliseconds(300)), 0) << "closed before its time";
    advance(0.001);
    EXPECT_EQ(heard(std::chrono::seconds(10)), 'c');
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(fds[0]);
    EXPECT_TRUE(eventually([&] { return !forced() && machine().ftst.value_or(0) == 0.0; }));
    expectServing();
}

std::string backendName(const ::testing::TestParamInfo<sim::KernelDriver>& info) {
    return info.param == sim::KernelDriver::none ? "SMC" : "Applesmc";
}

INSTANTIATE_TEST_SUITE_P(OnEveryBackend, HostilePeerTest, ::testing::ValuesIn(backendsHere()),
                         backendName);

}  // namespace
}  // namespace ventoria::test
