// The model's parts on their own, at the exact poll where each of their rules takes effect.

#include <gtest/gtest.h>

#include <chrono>

#include "ventoria/app/follow_check.h"
#include "ventoria/app/power_watch.h"

namespace ventoria::app {
namespace {

using std::chrono::milliseconds;

// A fan forced at 2000 rpm of 1000–5000, and one doing what it was asked.
const hardware::FanReading kSlow{
    .id = 0, .actual = 2000, .min = 1000, .max = 5000, .manual = true, .modeKnown = true};
const hardware::FanReading kAtMax{
    .id = 0, .actual = 5000, .min = 1000, .max = 5000, .manual = true, .modeKnown = true};

// The first poll after a fixed preset reached the helper is not yet checked, the second is
// and every one after it; Smart is never checked, and a new choice on its way stops checks.
TEST(FollowCheck, ChecksFromTheSecondPollAfterAFixedPresetArrives) {
    FollowCheck check(milliseconds(2000));
    EXPECT_FALSE(check.due());  // nothing was sent yet
    check.arm(Preset::max);
    std::vector<bool> due;
    for (int poll = 0; poll < 4; ++poll) due.push_back(check.due());
    EXPECT_EQ(due, (std::vector<bool>{false, true, true, true}));
    check.disarm();
    EXPECT_FALSE(check.due());
    check.arm(Preset::smart);
    for (int poll = 0; poll < 4; ++poll) EXPECT_FALSE(check.due()) << poll;
}

// A fan far from its target is named once it has been so for ten seconds of polls: the fifth
// check at a 2 s pace, the tenth at 1 s, the first at a pace slower than ten seconds. A check
// where it follows starts the count again.
TEST(FollowCheck, AFanFarFromItsTargetIsNamedAfterTheSlewAllowance) {
    struct Case {
        milliseconds interval;
        int checksBeforeNamed;
    };
    for (auto [interval, checks] : {Case{milliseconds(2000), 5}, Case{milliseconds(1000), 10},
                                    Case{milliseconds(15000), 1}}) {
        FollowCheck check(interval);
        for (int round = 0; round < 2; ++round) {
            for (int poll = 1; poll < checks; ++poll) {
                EXPECT_EQ(check.check({kSlow}, 1, Preset::max, 100), std::nullopt)
                    << interval.count() << " ms, check " << poll;
            }
            EXPECT_NE(check.check({kSlow}, 1, Preset::max, 100), std::nullopt)
                << interval.count() << " ms";
            EXPECT_EQ(check.check({kAtMax}, 1, Preset::max, 100), std::nullopt);
        }
    }
}

TEST(FollowCheck, EachFanIsHeldToItsPresetsMode) {
    FollowCheck check(milliseconds(2000));
    auto released = kAtMax;
    released.manual = false;
    EXPECT_EQ(check.check({kAtMax}, 2, Preset::max, 100), errors::fanUnreadable(1));
    EXPECT_EQ(check.check({released}, 1, Preset::max, 100), errors::fanNotControlled(0));
    EXPECT_EQ(check.check({kAtMax}, 1, Preset::automatic, std::nullopt), errors::fanStillForced(0));
    auto unknown = released;
    unknown.modeKnown = false;  // where the mode cannot be read, only the speed tells
    EXPECT_EQ(check.check({unknown}, 1, Preset::max, 100), std::nullopt);
}

// What the machine runs on at launch is where the model starts from, never a change; a reading
// the system cannot give keeps the one last known.
TEST(PowerWatch, OnlyADifferenceFromAKnownSourceIsAChange) {
    std::vector<std::optional<bool>> readings{true, true, std::nullopt, false, true};
    std::size_t next = 0;
    PowerWatch watch([&] { return readings[next++]; });
    std::vector<bool> changes;
    std::vector<std::optional<PowerSource>> sources;
    for (std::size_t poll = 0; poll < readings.size(); ++poll) {
        changes.push_back(watch.changed());
        sources.push_back(watch.source());
    }
    EXPECT_EQ(changes, (std::vector<bool>{false, false, false, true, true}));
    EXPECT_EQ(sources, (std::vector<std::optional<PowerSource>>{
                           PowerSource::battery, PowerSource::battery, PowerSource::battery,
                           PowerSource::charger, PowerSource::battery}));

    PowerWatch unknownAtLaunch([first = true]() mutable -> std::optional<bool> {
        if (std::exchange(first, false)) return std::nullopt;
        return true;
    });
    EXPECT_FALSE(unknownAtLaunch.changed());
    EXPECT_FALSE(unknownAtLaunch.changed());  // the first known source is still no change
}

}  // namespace
}  // namespace ventoria::app
