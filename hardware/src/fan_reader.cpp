#include "ventoria/hardware/fan_reader.h"

#include <algorithm>
#include <cassert>

#include "ventoria/hardware/smc_fans.h"

namespace ventoria::hardware {

FanReader::FanReader(std::shared_ptr<FanPort> port, Clock clock)
    : port_(std::move(port)), clock_(std::move(clock)) {}

FanReader::FanReader(std::shared_ptr<SMCReader> smc, Clock clock)
    : FanReader(std::make_shared<SMCFans>(std::move(smc)), std::move(clock)) {}

const std::optional<FanLayout>& FanReader::layout() {
    auto now = clock_();
    if (layout_ && now - layoutRead_ < kLayoutRefresh && now >= layoutRead_) return layout_;
    layout_.reset();
    auto count = knownFanCount();
    if (!count) return layout_;
    FanLayout fresh{*count, {}, {}};
    for (int id = 0; id < *count; ++id) {
        fresh.minimum.push_back(port_->minimum(id));
        fresh.maximum.push_back(port_->maximum(id));
    }
    layout_ = std::move(fresh);
    layoutRead_ = now;
    return layout_;
}

int FanReader::fanCount() {
    const auto& fans = layout();
    return fans ? fans->count : 0;
}

std::vector<FanReading> FanReader::readings() {
    std::vector<FanReading> fans;
    for (int id = 0, count = fanCount(); id < count; ++id) {
        if (auto fan = reading(id)) fans.push_back(*fan);
    }
    return fans;
}

std::optional<FanReading> FanReader::reading(int id) {
    auto actual = port_->speed(id);
    if (!actual) return std::nullopt;
    const auto& fans = layout();
    bool known = fans && id < fans->count;
    assert(!known || (fans->minimum.size() == static_cast<std::size_t>(fans->count) &&
                      fans->maximum.size() == static_cast<std::size_t>(fans->count)));
    auto manual = mode(id);
    return FanReading{id,
                      *actual,
                      known ? fans->minimum[id].value_or(0) : 0,
                      known ? fans->maximum[id].value_or(0) : 0,
                      manual.value_or(false),
                      manual.has_value() || port_->modeReadable()};
}

}  // namespace ventoria::hardware
