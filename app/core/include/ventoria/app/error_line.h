#pragma once
// The one line that says what went wrong last. Three kinds of trouble share it: the word of the
// latest request (a refusal, a helper away, an unreadable preferences file), a choice that could
// not be stored, and fans that do not do what the preset asks. A newer word replaces an older
// one, and a trouble that ends takes the line back only while it is what the line shows.

#include <QObject>
#include <optional>

#include "ventoria/app/model_error.h"

namespace ventoria::app {

class UserPreferences;

class ErrorLine : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    const std::optional<ModelError>& shown() const { return shown_; }
    // Why the latest choice could not be stored; nothing once one was.
    const std::optional<ModelError>& unsaved() const { return unsaved_; }
    // The first fan that does not follow, from the latest check.
    const std::optional<ModelError>& fanProblem() const { return fanProblem_; }

    // The preferences' faults: one unreadable at start is said once, and the next word
    // replaces it; a choice that could not be written stays said until one is.
    void watch(UserPreferences& preferences);
    void show(const std::optional<ModelError>& word);
    // A choice held: nothing is left to say but a choice that could not be stored.
    void choiceHeld() { show(unsaved_); }
    void setFanProblem(const std::optional<ModelError>& problem);

    static std::optional<QString> detailOf(const std::optional<ModelError>& error) {
        return error ? std::optional(error->detail) : std::nullopt;
    }

  signals:
    void changed();

  private:
    void storeFailed(const QString& problem);
    void stored();

    std::optional<ModelError> shown_;
    std::optional<ModelError> unsaved_;
    std::optional<ModelError> fanProblem_;
};

}  // namespace ventoria::app
