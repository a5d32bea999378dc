#pragma once
// Which screen has a camera housing, and how big the housing is. On a Mac, the first screen
// with a top safe-area inset and an auxiliary top-left area; on Linux, the virtual Mac's
// display setting for the first screen.

#include <QObject>
#include <QRect>
#include <QSize>
#include <memory>
#include <optional>

namespace ventoria::ui {

struct NotchScreen {
    QRect frame;  // the whole screen
    QSize notch;  // the camera housing
};

class NotchDisplays : public QObject {
    Q_OBJECT
  public:
    virtual std::optional<NotchScreen> notchScreen() = 0;
    // Looks at the screens again, for a system that does not say when they change; called on
    // every poll of the model.
    virtual void recheck() {}

  signals:
    // Screens were attached, detached or rearranged.
    void changed();
};

// This system's screens.
std::unique_ptr<NotchDisplays> systemNotchDisplays();

}  // namespace ventoria::ui
