// The real VentoriaHelper against peers that misbehave, by accident or on purpose. Whatever a
// peer does, the daemon keeps running, answers everyone else, and no peer keeps the fans
// forced once their owner has gone.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <list>
#include <map>
#include <random>

#include "helper_process.h"
#include "os_calls.h"
#include "protocol_version.h"
#include "ventoria/ipc/protocol.h"
#include "virtual_mac_test.h"

namespace ventoria::test {
namespace {

using ipc::Message;
using ipc::Request;
using Bytes = std::vector<std::uint8_t>;

class HostilePeerTest : public VirtualMacTest {
  protected:
    bool forced() {
        auto fans = machine().fans;
        return fans[0].forced || fans[1].forced;
    }
    // The helper still serves a well-behaved client.
    void expectServing() {
        ASSERT_TRUE(helper.running());
        RawClient client;
        EXPECT_EQ(client.call(Request::version()), test::kProtocolVersion);
    }

    HelperProcess helper;
};

TEST_F(HostilePeerTest, APeerThatStopsSendingStillGetsItsRepliesThenTheEnd) {
    RawClient client;
    auto fraction = client.send(Request::setFraction(0.7));
    auto version = client.send(Request::version());
    client.halfClose();
    std::map<std::uint64_t, std::optional<std::string>> replies;  // the version may overtake
    for (int i = 0; i < 2; ++i) {
        auto reply = client.receive();
        ASSERT_TRUE(reply);
        replies[reply->id] = reply->value;
    }
    EXPECT_EQ(replies, (std::map<std::uint64_t, std::optional<std::string>>{
                           {fraction, std::nullopt}, {version, test::kProtocolVersion}}));
    EXPECT_TRUE(client.closedByHelper());
    // It has gone, so nobody holds the fans any more.
    EXPECT_TRUE(eventually([&] { return !forced() && machine().ftst == 0.0; }));
    expectServing();
}

// A request followed by what breaks the stream: the connection ends while the reply to the
// request may still be on its way out, and nothing of it outlives the connection.
TEST_F(HostilePeerTest, BreakingTheStreamAfterARequestEndsOnlyThatConnection) {
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
            peer.send(Request::setFraction(0.4));
            peer.sendBytes(bytes);
            if (round % 2) peer.halfClose();
            ASSERT_TRUE(helper.running());
        }
    }
    expectServing();
    EXPECT_TRUE(eventually([&] { return !forced(); }));
}

TEST_F(HostilePeerTest, RandomBytesChangeNothing) {
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
// its replies is dropped after a while instead of being held forever.
TEST_F(HostilePeerTest, APeerThatNeverReadsItsRepliesCostsBoundedMemory) {
    long before = helper.residentKiB();
    {
        RawClient greedy;
        fcntl(greedy.fd(), F_SETFL, O_NONBLOCK);
        auto request = ipc::frame(ipc::encodeRequest({1, Message::version, 0, {}}));
        Bytes burst;
        for (int i = 0; i < 256; ++i) burst.insert(burst.end(), request.begin(), request.end());
        std::size_t sent = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            auto n = test::sendQuietly(greedy.fd(), burst.data(), burst.size());
            if (n > 0) sent += static_cast<std::size_t>(n);
            if (n < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        long during = helper.residentKiB();
        std::cout << "helper resident memory: " << before << " KiB before, " << during
                  << " KiB with a peer that never reads (" << sent / request.size()
                  << " requests sent)\n";
        EXPECT_LT(during - before, 8 * 1024);
        expectServing();
    }
    expectServing();
}

TEST_F(HostilePeerTest, APeerWhoseFrameStaysIncompleteIsDroppedAndNotCounted) {
    RawClient slow;
    {
        RawClient owner;
        owner.call(Request::setFraction(0.9));
        ASSERT_TRUE(eventually([&] { return forced(); }));
        slow.sendBytes({0, 0, 0, 40, 0x83});  // and nothing more, ever
    }
    EXPECT_TRUE(slow.closedByHelper(std::chrono::seconds(15)));
    EXPECT_TRUE(eventually([&] { return !forced() && machine().ftst == 0.0; }));
}

TEST_F(HostilePeerTest, ConnectionsBeyondTheCapAreRefusedAndTheCapFreesUp) {
    std::list<RawClient> crowd;
    for (int i = 0; i < 32; ++i) crowd.emplace_back();
    crowd.front().call(Request::version());  // all of them accepted by now
    RawClient oneTooMany;
    EXPECT_TRUE(oneTooMany.closedByHelper());
    crowd.pop_back();
    EXPECT_TRUE(eventually([&] {
        RawClient next;
        next.sendBytes(ipc::frame(ipc::encodeRequest({1, Message::version, 0, {}})));
        return !next.closedByHelper(std::chrono::milliseconds(200));
    }));
    crowd.clear();
    expectServing();
}

// Only the people at the machine command its fans: a peer of any other user is closed before
// a request of theirs is read.
TEST_F(HostilePeerTest, APeerOfAnotherUserIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can become another user";
    // Let the other user reach the socket, so that the refusal is the helper's own.
    for (auto dir = ipc::socketPath().parent_path(); dir != "/" && dir != "/tmp";
         dir = dir.parent_path()) {
        chmod(dir.c_str(), 0755);
    }
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
        try {
            RawClient stranger;
            stranger.sendBytes(ipc::frame(ipc::encodeRequest({1, Message::setFraction, 0.0, {}})));
            _exit(stranger.closedByHelper() ? 0 : 1);
        } catch (...) {
            _exit(11);  // could not connect at all
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(forced());
    expectServing();
}

}  // namespace
}  // namespace ventoria::test
