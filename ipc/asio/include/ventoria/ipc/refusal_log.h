#pragma once
// What the helper writes about the connections it turns away. Every refusal is worth knowing
// of, but a peer that knocks thousands of times a second must not make the helper write
// thousands of lines: the first refusal of a period is written in full, the others are
// counted and summed up in one line once the period is over.

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace ventoria::ipc {

class RefusalLog {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kPeriod{10};
    // Names kept for a summary; beyond them it says "and others".
    static constexpr std::size_t kNamesInSummary = 3;

    // A refusal of `peer` ("user 501"), written as `line`: the lines to write now, which are
    // the summary of the previous period, if any, and `line`; nothing while the period already
    // had its line.
    std::optional<std::string> refused(const std::string& peer, const std::string& line,
                                       Clock::time_point now);
    // The summary of refusals held back, once their period is over; otherwise nothing.
    std::optional<std::string> summary(Clock::time_point now);
    // When summary() will have something to say; nothing when nothing is held back.
    std::optional<Clock::time_point> due() const;

  private:
    std::string takeSummary();

    std::optional<Clock::time_point> periodStart_;
    std::uint64_t heldBack_ = 0;
    std::set<std::string> peers_;  // who the held-back refusals were of
    bool morePeers_ = false;
};

}  // namespace ventoria::ipc
