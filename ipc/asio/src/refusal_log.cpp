#include "ventoria/ipc/refusal_log.h"

namespace ventoria::ipc {

std::optional<std::string> RefusalLog::refused(const std::string& peer, const std::string& line,
                                               Clock::time_point now) {
    if (periodStart_ && now >= *periodStart_ && now - *periodStart_ < kPeriod) {
        ++heldBack_;
        if (peers_.size() < kNamesInSummary) {
            peers_.insert(peer);
        } else if (!peers_.contains(peer)) {
            morePeers_ = true;
        }
        return std::nullopt;
    }
    std::string lines = heldBack_ > 0 ? takeSummary() + "\n" : "";
    periodStart_ = now;
    return lines + line;
}

std::optional<std::string> RefusalLog::summary(Clock::time_point now) {
    auto when = due();
    if (!when || now < *when) return std::nullopt;
    periodStart_.reset();  // the next refusal is written in full again
    return takeSummary();
}

std::optional<RefusalLog::Clock::time_point> RefusalLog::due() const {
    if (heldBack_ == 0 || !periodStart_) return std::nullopt;
    return *periodStart_ + kPeriod;
}

std::string RefusalLog::takeSummary() {
    std::string names;
    for (const auto& peer : peers_) names += (names.empty() ? "" : ", ") + peer;
    if (morePeers_) names += " and others";
    std::string line = "VentoriaHelper: " + std::to_string(heldBack_) + " more refusal" +
                       (heldBack_ == 1 ? "" : "s") + " in " + std::to_string(kPeriod.count()) +
                       " s, of " + names;
    heldBack_ = 0;
    peers_.clear();
    morePeers_ = false;
    return line;
}

}  // namespace ventoria::ipc
