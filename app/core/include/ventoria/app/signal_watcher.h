#pragma once
// Termination signals as a Qt signal. A handler may do almost nothing safely, so it only
// writes a byte to a pipe; the event loop reads the pipe and emits `signalled`.
//
// The event loop may not be running when the signal comes: the process can be blocked in a
// call (opening a FIFO where a file was expected) or behind an SMC that answers slowly. So the
// first signal also sets a deadline, after which the process ends whatever it is doing. That
// is safe for the fans: a client's connection closes with its process, and the helper hands
// back whatever that client held.

#include <QObject>
#include <QSocketNotifier>
#include <chrono>
#include <initializer_list>
#include <memory>

namespace ventoria::app {

class SignalWatcher : public QObject {
    Q_OBJECT
  public:
    // One watcher per process: the handlers share its pipe. Once one of `watched` has come,
    // the process ends within `exitBound`, with status 128 plus the signal's number.
    SignalWatcher(std::initializer_list<int> watched, std::chrono::seconds exitBound,
                  QObject* parent = nullptr);

  signals:
    // At least one of the signals arrived since the last emission; several arrivals before
    // the event loop looks are one emission.
    void signalled();

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ventoria::app
