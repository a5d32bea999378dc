#include "ventoria/app/follow_check.h"

#include <algorithm>

#include "ventoria/app/model_text.h"

namespace ventoria::app {
namespace {

// The polls, at least one, that take `span` at `interval` apiece, rounded up.
int pollsFor(std::chrono::milliseconds span, std::chrono::milliseconds interval) {
    auto each = std::max<std::int64_t>(interval.count(), 1);
    return static_cast<int>(std::max<std::int64_t>(1, (span.count() + each - 1) / each));
}

}  // namespace

FollowCheck::FollowCheck(std::chrono::milliseconds pollInterval)
    : slewPolls_(pollsFor(kSlewAllowance, pollInterval)) {}

void FollowCheck::arm(Preset preset) {
    pollsToCheck_ = preset != Preset::smart ? kPollsBeforeCheck : -1;
}

void FollowCheck::disarm() {
    pollsToCheck_ = -1;
    offTargetPolls_.clear();
}

void FollowCheck::restart() {
    if (pollsToCheck_ >= 0) pollsToCheck_ = kPollsBeforeCheck;
    offTargetPolls_.clear();
}

bool FollowCheck::due() {
    if (pollsToCheck_ > 0) --pollsToCheck_;
    return pollsToCheck_ == 0;
}

std::optional<ModelError> FollowCheck::check(const FanReadings& fans, int count, Preset preset,
                                             std::optional<int> percent) {
    for (int id = 0; id < count; ++id) {
        auto fan = std::find_if(fans.begin(), fans.end(),
                                [id](const auto& reading) { return reading.id == id; });
        if (fan == fans.end()) return errors::fanUnreadable(id);
        if (preset == Preset::automatic && fan->manual) return errors::fanStillForced(id);
        if (preset != Preset::automatic && !fan->manual && fan->modeKnown) {
            return errors::fanNotControlled(id);
        }
        if (percent && offTarget(*fan, *percent / 100.0)) {
            if (++offTargetPolls_[id] >= slewPolls_) {
                return errors::fanOffTarget(*fan, *percent / 100.0);
            }
        } else {
            offTargetPolls_.erase(id);
        }
    }
    return std::nullopt;
}

}  // namespace ventoria::app
