#pragma once
// What the controls share: following the pointer, and tinting a widget's text.

#include <QColor>
#include <QEvent>
#include <QWidget>

namespace ventoria::ui {

// Follows the pointer over `widget` for a hover highlight, repainting when it changes. A
// widget that is hidden gets no leave event, so hiding forgets the pointer: a row hovered
// when its popover closed is not highlighted when it opens again.
void followHover(QWidget& widget, const QEvent& event, bool& hovered);

// Gives a label's or a button's text `color`, keeping the rest of its palette.
void tint(QWidget* widget, const QColor& color);

}  // namespace ventoria::ui
