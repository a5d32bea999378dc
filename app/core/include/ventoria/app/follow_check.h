#pragma once
// Whether the fans do what the active preset asks of them, checked a couple of polls after a
// fixed preset reached the helper (and on every poll from then on), so that a fan the helper
// does not hold as asked is named.

#include <chrono>
#include <map>
#include <optional>

#include "ventoria/app/model_error.h"
#include "ventoria/app/model_types.h"

namespace ventoria::app {

class FollowCheck {
  public:
    // Polls after a fixed preset reached the helper before the fans must show it.
    static constexpr int kPollsBeforeCheck = 2;
    // How long a forced fan may run far from the speed its preset asks before it is named:
    // real fans take seconds to spin up or down, and a target changed a moment ago is not
    // reached yet.
    static constexpr std::chrono::seconds kSlewAllowance{10};

    explicit FollowCheck(std::chrono::milliseconds pollInterval);

    // A preset reached the helper: a fixed one is checked from kPollsBeforeCheck polls on;
    // Smart forces and hands back as it sees fit, and is not.
    void arm(Preset preset);
    // No check is due until the next arm(): a choice is on its way, or the helper went away.
    void disarm();
    // The fans were disturbed (a wake may hand them to the machine until the helper forces them
    // again): a check under way waits as after a fresh choice, and no fan is counted off
    // target from before.
    void restart();
    // Counts one poll; true when the fans are to be checked at this one.
    bool due();
    // The first fan of `count` that does not do what `preset` asks, or nothing.
    std::optional<ModelError> check(const FanReadings& fans, int count, Preset preset,
                                    std::optional<int> percent);

  private:
    int slewPolls_;          // polls that make kSlewAllowance at this pace, at least one
    int pollsToCheck_ = -1;  // counts down after a fixed preset was applied; -1: no check due
    std::map<int, int> offTargetPolls_;  // per fan: polls in a row it ran far from its target
};

}  // namespace ventoria::app
