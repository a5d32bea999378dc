// What the listener decides on its own: which connection gives way when it is full, and how
// much it writes about the peers it turns away.

#include <gtest/gtest.h>

#include "ventoria/ipc/eviction.h"
#include "ventoria/ipc/refusal_log.h"

namespace ventoria::ipc {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A client that commanded the fans (the application holding a preset) outlasts those that
// never did, however long it has been quiet: a burst of visitors, or a crowd of knockers.
TEST(Eviction, AConnectionHoldingAChoiceOutlastsThoseThatNeverMadeOne) {
    const Clock::time_point t{100s};
    std::vector<OpenConnection> open = {{1, 0, t, true}, {2, 0, t + 5s}, {3, 0, t + 9s}};
    EXPECT_EQ(connectionToEvict(open), 2u);
    open = {{1, 0, t, true}, {2, 0, t + 5s, true}};
    EXPECT_EQ(connectionToEvict(open), 1u);  // all of them did: the quietest goes
    open = {{1, 501, t + 1s}, {2, 0, t, true}, {3, 0, t, true}};
    EXPECT_EQ(connectionToEvict(open), 2u);  // the user with the most gives way all the same
}

TEST(Eviction, TheUserHoldingTheMostGivesUpTheirQuietestConnection) {
    const Clock::time_point t{100s};
    std::vector<OpenConnection> open = {
        {1, 501, t + 1s}, {2, 0, t + 2s}, {3, 0, t + 5s}, {4, 0, t + 3s}, {5, 501, t},
    };
    EXPECT_EQ(connectionToEvict(open), 2u);  // root holds three; 5 is older but the console's
    open.push_back({6, 501, t + 9s});
    EXPECT_EQ(connectionToEvict(open), 5u);  // three each: the quietest of all goes
    open = {{7, std::nullopt, t + 1s}, {8, std::nullopt, t}, {9, 0, t}};
    EXPECT_EQ(connectionToEvict(open), 8u);  // peers nobody can name count as one user
}

TEST(RefusalLog, OneLineAPeriodAndASummaryOfTheRest) {
    RefusalLog log;
    const Clock::time_point t{100s};
    EXPECT_EQ(log.refused("user 502", "refused user 502", t), "refused user 502");
    EXPECT_EQ(log.due(), std::nullopt);  // nothing held back yet
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(log.refused(i % 2 ? "user 502" : "user 503", "again", t + 9s), std::nullopt);
    }
    EXPECT_EQ(log.due(), t + RefusalLog::kPeriod);
    EXPECT_EQ(log.summary(t + 9s), std::nullopt);  // the period is not over
    EXPECT_EQ(log.summary(t + 10s),
              "VentoriaHelper: 1000 more refusals in 10 s, of user 502, user 503");
    EXPECT_EQ(log.due(), std::nullopt);
    EXPECT_EQ(log.refused("user 502", "first again", t + 11s), "first again");
}

TEST(RefusalLog, ARefusalAfterAQuietPeriodBringsTheSummaryWithIt) {
    RefusalLog log;
    const Clock::time_point t{100s};
    log.refused("user 1", "one", t);
    for (const char* peer : {"user 1", "user 2", "user 3", "user 4"}) log.refused(peer, "x", t);
    EXPECT_EQ(log.refused("user 9", "later", t + 30s),
              "VentoriaHelper: 4 more refusals in 10 s, of user 1, user 2, user 3 and others\n"
              "later");
    EXPECT_EQ(log.refused("user 9", "within", t + 31s), std::nullopt);
}

}  // namespace
}  // namespace ventoria::ipc
