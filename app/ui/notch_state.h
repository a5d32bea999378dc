#pragma once

#include <QObject>
#include <QSizeF>
#include <optional>

#include "animation.h"

namespace ventoria::ui {

// What the notch controller tells the view: open or closed, and the housing's size.
class NotchState : public QObject {
    Q_OBJECT
  public:
    bool open() const { return open_; }
    QSizeF notchSize() const { return notchSize_; }

    // Opening and closing are springs; hiding resets without animation.
    void setOpen(bool open, std::optional<Spring> spring);
    void setNotchSize(QSizeF size);
    // How the latest change of `open` is to be shown.
    std::optional<Spring> spring() const { return spring_; }

  signals:
    void openChanged();
    void notchSizeChanged();

  private:
    bool open_ = false;
    std::optional<Spring> spring_;
    QSizeF notchSize_{160, 30};
};

}  // namespace ventoria::ui
