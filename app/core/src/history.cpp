#include "ventoria/app/history.h"

#include <algorithm>

namespace ventoria::app {

std::size_t History::capacityFor(std::chrono::milliseconds pollInterval) {
    auto interval = std::max<std::chrono::milliseconds::rep>(pollInterval.count(), 1);
    auto span = std::chrono::duration_cast<std::chrono::milliseconds>(kSpan).count();
    return static_cast<std::size_t>(std::max<std::chrono::milliseconds::rep>(span / interval, 1));
}

History::History(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

void History::record(const HistorySample& sample) {
    ring_[next_] = sample;
    next_ = (next_ + 1) % ring_.size();
    size_ = std::min(size_ + 1, ring_.size());
}

std::vector<HistorySample> History::samples() const {
    std::vector<HistorySample> ordered;
    ordered.reserve(size_);
    std::size_t oldest = (next_ + ring_.size() - size_) % ring_.size();
    for (std::size_t i = 0; i < size_; ++i) ordered.push_back(ring_[(oldest + i) % ring_.size()]);
    return ordered;
}

}  // namespace ventoria::app
