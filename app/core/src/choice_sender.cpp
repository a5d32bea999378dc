#include "ventoria/app/choice_sender.h"

#include <QCoroTask>
#include <algorithm>
#include <variant>

#include "ventoria/app/cancel_token.h"
#include "ventoria/app/completion.h"
#include "ventoria/app/helper_client.h"

namespace ventoria::app {

ChoiceSender::ChoiceSender(std::unique_ptr<HelperClient> helper,
                           std::unique_ptr<OneShotTimer> retryTimer,
                           std::function<bool()> installed, QObject* parent)
    : QObject(parent),
      helper_(std::move(helper)),
      retryTimer_(std::move(retryTimer)),
      installed_(std::move(installed)) {
    helper_->connectionLost = [this] { emit connectionLost(); };
}

ChoiceSender::~ChoiceSender() {
    if (token_) token_->cancel();
}

void ChoiceSender::send(const Choice& choice, Kind kind) {
    if (kind == Kind::choice) {
        // The user chose: whatever failed before starts over.
        retryTimer_->stop();
        resetPauses();
    }
    if (token_) token_->cancel();
    token_ = std::make_shared<CancelToken>();
    sending_ = true;
    run(this, choice, kind, token_);
}

QCoro::Task<> ChoiceSender::run(QPointer<ChoiceSender> self, Choice choice, Kind kind,
                                std::shared_ptr<CancelToken> token) {
    Answer answer{.kind = kind, .preset = choice.preset, .failure = std::nullopt};
    try {
        if (choice.preset == Preset::automatic) {
            if (self->installed()) co_await self->helper_->setAuto();
        } else {
            // A recovery never installs: the helper it lost was installed, and a prompt the
            // user did not ask for is not ours to show.
            co_await self->helper_->ensureInstalled(token, kind == Kind::choice);
            if (!self) co_return;
            token->throwIfCancelled();
            if (choice.preset == Preset::smart) {
                co_await self->helper_->setSmart(choice.smart);
            } else {
                co_await self->helper_->setFraction(choice.fraction);
            }
        }
    } catch (const Cancelled&) {
        answer.cancelled = true;  // a newer choice is on its way
    } catch (const std::exception& error) {
        // Only our own errors carry a text meant for the user.
        auto* helperError = dynamic_cast<const HelperError*>(&error);
        answer.failure = helperError ? errors::of(*helperError) : errors::unreadableAnswer();
    }
    if (!self) co_return;
    answer.superseded = token->cancelled();
    emit self->answered(answer);
    // Asked again: what answered() set off (a poll that follows a new power source) may
    // itself have sent a newer choice, which is on its way now.
    if (!self || token->cancelled()) co_return;
    self->sending_ = false;
    emit self->settled();
}

void ChoiceSender::retryLater() {
    retryTimer_->start(pause_, [this] {
        if (!stopped_ && !sending_) emit retryDue();
    });
    pause_ = std::min(pause_ * 2, kRetryLongest);
}

void ChoiceSender::stop() {
    if (token_) token_->cancel();
    sending_ = false;
    stopped_ = true;
    retryTimer_->stop();
}

QCoro::Task<> ChoiceSender::handBack() {
    stop();
    if (!installed()) co_return;
    try {
        co_await helper_->setAuto();
    } catch (const std::exception&) {
        // Quitting goes on whatever the helper says.
    }
}

QCoro::Task<> ChoiceSender::handBackWithin(std::chrono::milliseconds bound) {
    Completion<std::monostate> done;
    [](QPointer<ChoiceSender> sender, Completion<std::monostate> finished) -> QCoro::Task<> {
        co_await sender->handBack();
        finished.resolve({});
    }(this, done);
    // handBack() has stopped the sender (a coroutine runs at once up to its first wait), so no
    // retry needs the timer any more; the bound is a pause like the retries'.
    retryTimer_->start(bound, [done]() mutable { done.resolve({}); });
    co_await done;
}

}  // namespace ventoria::app
