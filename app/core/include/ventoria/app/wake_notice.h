#pragma once
// Word that the machine has woken from sleep, for the application. What it read before the
// sleep is hours old, and the fans may have been handed to the machine by the wake (the
// helper forces them again a moment later): the model reads afresh at once.

#include <QObject>
#include <memory>

namespace ventoria::app {

class WakeNotice : public QObject {
    Q_OBJECT

  public:
    // Listens from construction: logind's PrepareForSleep(false) on the system bus on Linux,
    // NSWorkspace's wake on a Mac. Where the system cannot say, it never tells.
    explicit WakeNotice(QObject* parent = nullptr);
    ~WakeNotice() override;

    // The system said it will tell of wakes.
    bool watching() const { return system_ != nullptr; }

  signals:
    void woke();

  private:
    struct System;  // what the system's way of telling needs kept
    std::unique_ptr<System> system_;
};

}  // namespace ventoria::app
