#pragma once
// Termination signals as a Qt signal. A handler may do almost nothing safely, so it only
// writes a byte to a pipe; the event loop reads the pipe and emits `signalled`.

#include <QObject>
#include <QSocketNotifier>
#include <initializer_list>
#include <memory>

namespace ventoria::app {

class SignalWatcher : public QObject {
    Q_OBJECT
  public:
    // One watcher per process: the handlers share its pipe.
    explicit SignalWatcher(std::initializer_list<int> watched, QObject* parent = nullptr);

  signals:
    // At least one of the signals arrived since the last emission; several arrivals before
    // the event loop looks are one emission.
    void signalled();

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ventoria::app
