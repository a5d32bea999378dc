#include "notch_state.h"

namespace ventoria::ui {

void NotchState::setOpen(bool open, std::optional<Spring> spring) {
    if (open == open_) return;
    open_ = open;
    spring_ = spring;
    emit openChanged();
}

void NotchState::setNotchSize(QSizeF size) {
    if (size == notchSize_) return;
    notchSize_ = size;
    emit notchSizeChanged();
}

}  // namespace ventoria::ui
