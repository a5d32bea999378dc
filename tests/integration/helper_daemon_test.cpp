// The real VentoriaHelper on a system root of the test's own, talked to over its socket.

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <nlohmann/json.hpp>
#include <thread>

#include "helper_process.h"
#include "process.h"
#include "protocol_version.h"
#include "ventoria/ipc/protocol.h"
#include "ventoria/smart/smart_records.h"
#include "virtual_mac_test.h"

namespace ventoria::test {
namespace {

class HelperDaemonTest : public VirtualMacTest {
  protected:
    bool forced() {
        auto fans = machine().fans;
        return fans[0].forced && fans[1].forced;
    }
    bool handedBack() {
        auto shot = machine();
        return !shot.fans[0].forced && !shot.fans[1].forced && shot.ftst == 0.0;
    }
    std::optional<smart::Phase> phase(RawClient& client) {
        auto status = client.call(ipc::SmartStatus{});
        if (!status) return std::nullopt;
        return smart::decodeSmartStatus(*status)->phase;
    }

    HelperProcess helper;
};

TEST_F(HelperDaemonTest, AFixedFractionForcesTheFansWithinOneTick) {
    RawClient client;
    EXPECT_EQ(client.call(ipc::Version{}), test::kProtocolVersion);
    EXPECT_EQ(client.call(ipc::SetFraction{1.0}), std::nullopt);
    ASSERT_TRUE(eventually([&] { return forced(); }, std::chrono::milliseconds(750)));
    EXPECT_EQ(machine().fans[0].target, 5700);
    EXPECT_EQ(machine().fans[1].target, 6200);
}

TEST_F(HelperDaemonTest, TheLastClientLeavingHandsBackAndASteadyHoldWritesNothing) {
    {
        RawClient client;
        client.call(ipc::SetFraction{0.5});
        ASSERT_TRUE(eventually([&] { return forced(); }));
        mac->resetCounters();
        ASSERT_TRUE(eventually([&] { return machine().calls.readBytes > 10; }));  // ticks went by
        EXPECT_EQ(machine().calls.writeBytes, 0u);
    }
    EXPECT_TRUE(eventually([&] { return handedBack(); }, std::chrono::seconds(5)));
}

TEST_F(HelperDaemonTest, SmartFollowsTheWorkload) {
    RawClient client;
    mac->setLoad(100);
    advance(200);
    ASSERT_EQ(client.call(ipc::SetSmart{{R"({"minimum":0,"aggressiveness":"normal"})"}}),
              std::nullopt);
    EXPECT_TRUE(eventually([&] { return phase(client) == smart::Phase::boost; }));
    mac->setLoad(0);
    advance(900);
    EXPECT_TRUE(eventually([&] { return phase(client) == smart::Phase::cooldown; }));
    advance(61);
    EXPECT_TRUE(eventually([&] { return phase(client) == smart::Phase::idle; }));
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
    EXPECT_EQ(client.call(ipc::SetSmart{{R"({"minimum":30.5,"aggressiveness":"normal"})"}}),
              "Invalid Smart settings");
}

TEST_F(HelperDaemonTest, TheVersionIsAnsweredWhileATickIsSlow) {
    RawClient client;
    client.call(ipc::SetFraction{0.3});
    // Five calls of 300 ms: a tick now outlasts the 750 ms period, so the queue is never idle
    // once the slow calls have begun.
    mac->setLatency(300'000);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    auto queued = client.send(ipc::SetFraction{0.7});
    auto version = client.send(ipc::Version{});
    auto first = client.receive();
    mac->setLatency(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->id, version);  // it overtook the request stuck behind the tick
    EXPECT_EQ(valueOf(*first), test::kProtocolVersion);
    auto second = client.receive();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->id, queued);
}

// A broken stream ends its connection; a sound frame with a request no client of ours sends
// is answered with what was wrong, and the connection goes on. Nobody else notices either.
TEST_F(HelperDaemonTest, ABrokenPeerIsDisconnectedAndNobodyElseNotices) {
    RawClient holder;
    holder.call(ipc::SetFraction{0.9});
    const std::vector<std::vector<std::uint8_t>> garbage = {
        {'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P'},       // oversized length
        {0, 0, 0, 0},                                             // empty frame
        ipc::frame(std::vector<std::uint8_t>{0xC1, 0xC1, 0xC1}),  // not MessagePack
    };
    for (const auto& bytes : garbage) {
        RawClient rogue;
        rogue.sendBytes(bytes);
        EXPECT_TRUE(rogue.closedByHelper());
    }
    const std::pair<nlohmann::json, const char*> wrong[] = {
        {{{"id", 4}, {"call", "reboot:"}, {"args", nlohmann::json::array()}},
         "not understood: the helper has no message \"reboot:\""},
        {{{"id", 5}, {"call", "setFraction:reply:"}, {"args", {"all"}}},
         "not understood: setFraction:reply: takes a number, not a string"},
        {{{"id", 6}, {"call", "setFraction:reply:"}, {"args", {true}}},
         "not understood: setFraction:reply: takes a number, not a boolean"},
        {{{"id", 7}, {"call", "setSmart:reply:"}, {"args", {"{}"}}},
         "not understood: setSmart:reply: takes binary data, not a string"},
    };
    RawClient confused;
    for (const auto& [document, answer] : wrong) {
        confused.sendBytes(ipc::frame(nlohmann::json::to_msgpack(document)));
        auto reply = confused.receive();
        ASSERT_TRUE(reply) << document.dump();
        EXPECT_EQ(reply->id, document["id"].get<std::uint64_t>());
        EXPECT_EQ(valueOf(*reply), answer);
    }
    confused.sendBytes(
        ipc::frame(nlohmann::json::to_msgpack({{"id", -3}, {"call", "setAutoWithReply:"}})));
    auto negative = confused.receive();
    ASSERT_TRUE(negative);
    EXPECT_EQ(negative->id, 0u);  // no id to answer under but none
    EXPECT_EQ(confused.call(ipc::Version{}), test::kProtocolVersion);
    {
        RawClient half;
        half.sendBytes({0, 0, 0, 50, 1, 2});  // and then it goes away
    }
    EXPECT_EQ(holder.call(ipc::Version{}), test::kProtocolVersion);
    EXPECT_TRUE(forced());
    EXPECT_TRUE(helper.running());
}

TEST_F(HelperDaemonTest, AThousandClientsComingAndGoingLeaveNoneCounted) {
    {
        RawClient holder;
        holder.call(ipc::SetFraction{0.8});
        ASSERT_TRUE(eventually([&] { return forced(); }));
        for (int i = 0; i < 1000; ++i) RawClient visitor;
        EXPECT_EQ(holder.call(ipc::Version{}), test::kProtocolVersion);
        EXPECT_TRUE(forced());  // the visitors' departures did not count the holder out
    }
    EXPECT_TRUE(eventually([&] { return handedBack(); }));
}

// The helper runs as root and the application as the user at the console: the socket must let
// anyone connect (admission then decides who may command the fans).
TEST_F(HelperDaemonTest, TheSocketAdmitsEveryUserToTheDoor) {
    auto mode = std::filesystem::status(ipc::socketPath()).permissions();
    using std::filesystem::perms;
    EXPECT_EQ(mode & perms::all, perms::owner_read | perms::owner_write | perms::group_read |
                                     perms::group_write | perms::others_read | perms::others_write);
}

// A second helper started beside a live one (launchd and a user at once) must not take the
// socket: the first one's clients would be orphaned while their fans stay forced.
TEST_F(HelperDaemonTest, ASecondHelperLeavesALiveOneInCharge) {
    RawClient holder;
    holder.call(ipc::SetFraction{0.9});
    ASSERT_TRUE(eventually([&] { return forced(); }));
    auto second = run({program("VentoriaHelper")}, Interrupt{std::chrono::seconds(10)});
    EXPECT_EQ(second.status, 1) << second.err;  // could not listen
    EXPECT_NE(second.err.find("another helper is listening"), std::string::npos) << second.err;
    EXPECT_EQ(holder.call(ipc::Version{}), test::kProtocolVersion);
    EXPECT_TRUE(forced());
}

// No signal whose default is to end a process may end the helper with the fans forced: the
// ones that mean "stop" hand back first, exit status 0; the others change nothing at all.
TEST_F(HelperDaemonTest, EverySignalThatWouldKillItStopsItCleanlyOrIsIgnored) {
    for (int ignored : {SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXFSZ, SIGPIPE}) {
        RawClient client;
        client.call(ipc::SetFraction{0.0});
        ASSERT_TRUE(eventually([&] { return forced(); }));
        kill(helper.pid(), ignored);
        EXPECT_EQ(client.call(ipc::Version{}), test::kProtocolVersion) << strsignal(ignored);
        EXPECT_TRUE(forced()) << strsignal(ignored);
    }
    for (int stop : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGXCPU}) {
        std::optional<HelperProcess> daemon;
        if (stop != SIGTERM) daemon.emplace();
        auto& running = daemon ? *daemon : helper;
        RawClient client;
        client.call(ipc::SetSmart{{R"({"minimum":50,"aggressiveness":"normal"})"}});
        ASSERT_TRUE(eventually([&] { return forced(); })) << strsignal(stop);
        EXPECT_EQ(running.stop(stop), 0) << strsignal(stop);
        EXPECT_TRUE(handedBack()) << strsignal(stop);
    }
}

// A client that sends a request and is gone before the helper gets to it (the helper's queue
// was busy with a slow SMC) must not change the fans: nobody is left who wanted it.
TEST_F(HelperDaemonTest, ARequestOfAClientThatLeftIsNotCarriedOut) {
#ifndef __linux__
    GTEST_SKIP() << "only Linux tells a peer that left from one that stopped sending";
#endif
    RawClient holder;
    holder.call(ipc::SetFraction{0.3});
    ASSERT_TRUE(eventually([&] { return forced(); }));
    const double held = machine().fans[0].target;
    mac->setLatency(300'000);  // a tick now takes longer than its period: the queue is busy
    mac->resetCounters();
    ASSERT_TRUE(eventually([&] { return machine().calls.readBytes > 0; }));  // in a slow tick
    {
        RawClient leaving;
        leaving.send(ipc::SetFraction{1.0});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    mac->setLatency(0);
    EXPECT_EQ(holder.call(ipc::Version{}), test::kProtocolVersion);
    std::this_thread::sleep_for(std::chrono::milliseconds(1600));  // two ticks
    EXPECT_EQ(machine().fans[0].target, held);
}

}  // namespace
}  // namespace ventoria::test
