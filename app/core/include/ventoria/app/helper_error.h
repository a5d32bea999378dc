#pragma once

#include <QString>
#include <exception>
#include <string>

namespace ventoria::app {

// The error of every helper request; its description is what the user reads.
class HelperError : public std::exception {
  public:
    enum class Kind {
        unavailable,    // the helper could not be reached, or answered another version
        failed,         // the helper refused the request; the message is its own
        installFailed,  // installing the helper failed
    };

    // `reinstallMayHelp`: whether installing the helper again could make it reachable (see
    // ConnectionFailure).
    static HelperError unavailable(QString message, bool reinstallMayHelp = true) {
        HelperError error{Kind::unavailable, std::move(message)};
        error.reinstallMayHelp_ = reinstallMayHelp;
        return error;
    }
    static HelperError failed(QString message) { return {Kind::failed, std::move(message)}; }
    static HelperError installFailed(QString message) {
        return {Kind::installFailed, std::move(message)};
    }

    Kind kind() const { return kind_; }
    bool reinstallMayHelp() const { return kind_ == Kind::unavailable && reinstallMayHelp_; }
    const QString& message() const { return message_; }
    QString description() const;
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    HelperError(Kind kind, QString message);

    Kind kind_;
    bool reinstallMayHelp_ = false;
    QString message_;
    std::string what_;
};

// Ends work that a newer choice has superseded; nobody shows it to the user.
class Cancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};

}  // namespace ventoria::app
