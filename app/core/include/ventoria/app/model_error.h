#pragma once
// What went wrong, as the interface says it, and every wording of it in one place. One kind of
// failure reads the same wherever it comes from: a summary short enough to read whole where a
// preset's line is (the popover, the notch), and the detail, with the system's own words, for
// the tooltip and the command line.

#include <QString>

#include "ventoria/hardware/readings.h"

namespace ventoria::app {

class HelperError;

struct ModelError {
    QString summary;
    QString detail;
    bool operator==(const ModelError&) const = default;
};

namespace errors {

// A request to the helper that failed: its summary by kind ("Helper unavailable", "Helper
// install failed", or the helper's own short refusal).
ModelError of(const HelperError& error);
// The helper answered with something that is no answer.
ModelError unreadableAnswer();
// `failure` while the choice is sent again now and then: "Helper unavailable, retrying".
ModelError retrying(const ModelError& failure);
// The helper's connection ended under a choice that needs it; it is being sent again.
ModelError connectionEnded();

ModelError fanUnreadable(int id);
ModelError fanStillForced(int id);
ModelError fanNotControlled(int id);
ModelError fanOffTarget(const hardware::FanReading& fan, double fraction);

// The preferences' own words (user_preferences.h), under one summary each.
ModelError unsaved(const QString& problem);
ModelError unreadablePreferences(const QString& problem);

}  // namespace errors
}  // namespace ventoria::app
