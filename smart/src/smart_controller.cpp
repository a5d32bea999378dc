#include "ventoria/smart/smart_controller.h"

#include <algorithm>
#include <cmath>

#include "ventoria/smart/smart_curves.h"

namespace ventoria::smart {
namespace {

constexpr double kSafetyLevel = 100.0;
constexpr double kSafetyChip = 100.0;
constexpr double kFallPerSecond = 1.5;
constexpr double kLongestCountedGap = 5.0;
constexpr double kHandBackSeconds = 60.0;
constexpr double kLevelScale = 100.0;

double secondsBetween(SmartController::Time from, SmartController::Time to) {
    return std::max(0.0, std::chrono::duration<double>(to - from).count());
}

}  // namespace

std::pair<double, SmartDriver> demand(const SmartSettings& settings, std::optional<double> chip,
                                      std::optional<double> chassis, int pressure) {
    if (pressure > 0) return {kSafetyLevel, SmartDriver::safety};
    if (chip && *chip >= kSafetyChip) return {kSafetyLevel, SmartDriver::safety};

    auto chipLevel = chip ? curveLevel(chipCurve(settings.aggressiveness), *chip) : std::nullopt;
    auto chassisLevel =
        chassis ? curveLevel(chassisCurve(settings.aggressiveness), *chassis) : std::nullopt;
    double level = chipLevel.value_or(0.0);
    auto driver = SmartDriver::chip;
    if (chassisLevel && *chassisLevel > level) {
        level = *chassisLevel;
        driver = SmartDriver::chassis;
    }
    auto minimum = static_cast<double>(settings.minimum);
    if (minimum > level) {
        level = minimum;
        driver = SmartDriver::minimum;
    }
    if (level <= 0) return {0.0, SmartDriver::none};
    return {level, driver};
}

void SmartController::loseChip(Time now) {
    level_.reset();
    coolSince_.reset();
    stepped_ = now;
    status_ = SmartStatus{Phase::idle, SmartDriver::none, 0.0, 0, true};
}

std::optional<double> SmartController::step(std::optional<double> chip,
                                            std::optional<double> chassis, int pressure, Time now) {
    auto [target, driver] = demand(settings, chip, chassis, pressure);
    status_.chipUnreadable = false;
    if (stepped_ && now < *stepped_ && coolSince_) {
        // The clock started again (a machine booted afresh): what had run of the cool spell
        // still counts, and the rest is counted on the new clock.
        *coolSince_ += now - *stepped_;
    }
    double drop =
        stepped_ ? kFallPerSecond * std::min(kLongestCountedGap, secondsBetween(*stepped_, now))
                 : 0.0;
    stepped_ = now;
    double decayed = std::max(level_.value_or(0.0) - drop, 0.0);

    status_.driver = driver;
    if (target > 0) {
        coolSince_.reset();
        level_ = std::max(target, level_ ? decayed : 0.0);
        status_.level = *level_ / kLevelScale;
    } else if (!level_) {
        status_.level = 0;
    } else {
        if (!coolSince_) coolSince_ = now;
        if (secondsBetween(*coolSince_, now) >= kHandBackSeconds) {
            level_.reset();
            status_.level = 0;
        } else {
            level_ = decayed;
            status_.level = decayed / kLevelScale;
        }
    }

    status_.cooldown =
        coolSince_ ? static_cast<std::int64_t>(std::max(
                         0.0, std::ceil(kHandBackSeconds - secondsBetween(*coolSince_, now))))
                   : 0;
    if (driver == SmartDriver::safety) {
        status_.phase = Phase::safety;
    } else if (target > 0) {
        status_.phase = Phase::boost;
    } else if (level_) {
        status_.phase = Phase::cooldown;
    } else {
        status_.phase = Phase::idle;
    }
    if (!level_) return std::nullopt;
    return *level_ / kLevelScale;
}

}  // namespace ventoria::smart
