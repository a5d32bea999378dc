#include "controls/decorations.h"

#include <QEvent>
#include <QPalette>

namespace ventoria::ui {

void followHover(QWidget& widget, const QEvent& event, bool& hovered) {
    bool now = hovered;
    if (event.type() == QEvent::HoverEnter) now = true;
    if (event.type() == QEvent::HoverLeave || event.type() == QEvent::Hide) now = false;
    if (now == hovered) return;
    hovered = now;
    widget.update();
}

void tint(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

}  // namespace ventoria::ui
