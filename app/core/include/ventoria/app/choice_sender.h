#pragma once
// A preset's way to the helper: one choice out at a time, the newest superseding any still on
// its way; a preset that needs the helper installs it first; and, while the helper cannot be
// reached, the choice is sent again after pauses that double up to the longest.

#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "ventoria/app/model_error.h"
#include "ventoria/app/model_types.h"
#include "ventoria/app/one_shot_timer.h"
#include "ventoria/smart/smart_records.h"

namespace QCoro {
template <typename T>
class Task;
}

namespace ventoria::app {

class CancelToken;
class HelperClient;

class ChoiceSender : public QObject {
    Q_OBJECT

  public:
    static constexpr std::chrono::milliseconds kRetryFirst{1000};
    static constexpr std::chrono::milliseconds kRetryLongest{30000};

    // A user's choice falls back to automatic when it fails; a recovery (the choice sent
    // again after the helper went away) keeps the choice and is retried.
    enum class Kind { choice, recovery };
    struct Choice {
        Preset preset = Preset::automatic;
        double fraction = 0;  // of each fan's maximum, for a fixed preset
        smart::SmartSettings smart;
    };
    struct Answer {
        Kind kind = Kind::choice;
        Preset preset = Preset::automatic;
        bool superseded = false;  // a newer choice is on its way and will answer for itself
        bool cancelled = false;   // given up before the helper answered: nothing to report
        std::optional<ModelError> failure;
    };

    // `installed`: whether the helper is installed, asked before anything that would install
    // it unasked.
    ChoiceSender(std::unique_ptr<HelperClient> helper, std::unique_ptr<OneShotTimer> retryTimer,
                 std::function<bool()> installed, QObject* parent = nullptr);
    ~ChoiceSender() override;

    HelperClient& helper() { return *helper_; }
    bool installed() const { return installed_(); }

    void send(const Choice& choice, Kind kind);
    // A choice is on its way.
    bool sending() const { return sending_; }
    // After the next pause, retryDue(); each pause is twice the one before, up to the longest.
    void retryLater();
    // A choice reached the helper: the next failure pauses the shortest time again.
    void resetPauses() { pause_ = kRetryFirst; }
    // At quit: no choice may still be sent.
    void stop();
    // At quit: stop(), then the helper is told to hand the fans back, when it is installed.
    // Never waits longer than `bound`: the helper hands the fans back by itself once our
    // connection closes, so a helper that does not answer must not keep us alive. Never throws.
    QCoro::Task<void> handBackWithin(std::chrono::milliseconds bound);

  signals:
    // Once per send, after the helper answered or the send was given up.
    void answered(const ventoria::app::ChoiceSender::Answer& answer);
    // After answered(), unless a newer choice superseded this one: nothing is on its way now.
    void settled();
    void retryDue();
    // The connection ended without our asking: the helper went away, and with it whatever it
    // was enforcing for us.
    void connectionLost();

  private:
    // Holds the sender weakly only so that a test may end a model while a request is still out.
    QCoro::Task<void> handBack();
    static QCoro::Task<void> run(QPointer<ChoiceSender> self, Choice choice, Kind kind,
                                 std::shared_ptr<CancelToken> token);

    std::unique_ptr<HelperClient> helper_;
    std::unique_ptr<OneShotTimer> retryTimer_;
    std::function<bool()> installed_;
    std::shared_ptr<CancelToken> token_;
    bool sending_ = false;
    bool stopped_ = false;
    std::chrono::milliseconds pause_ = kRetryFirst;
};

}  // namespace ventoria::app
