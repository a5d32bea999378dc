#include "ventoria/app/error_line.h"

#include <utility>

#include "ventoria/app/user_preferences.h"

namespace ventoria::app {

void ErrorLine::watch(UserPreferences& preferences) {
    connect(&preferences, &UserPreferences::writeFailed, this, &ErrorLine::storeFailed);
    connect(&preferences, &UserPreferences::written, this, &ErrorLine::stored);
    if (const auto& problem = preferences.readProblem()) {
        show(errors::unreadablePreferences(*problem));
    }
}

void ErrorLine::show(const std::optional<ModelError>& word) {
    if (shown_ == word) return;
    shown_ = word;
    emit changed();
}

void ErrorLine::storeFailed(const QString& problem) {
    unsaved_ = errors::unsaved(problem);
    show(unsaved_);
}

void ErrorLine::stored() {
    if (shown_ == std::exchange(unsaved_, std::nullopt)) show(std::nullopt);
}

void ErrorLine::setFanProblem(const std::optional<ModelError>& problem) {
    if (problem == fanProblem_) return;
    if (problem) {
        show(problem);
    } else if (shown_ == fanProblem_) {
        show(std::nullopt);
    }
    fanProblem_ = problem;
}

}  // namespace ventoria::app
