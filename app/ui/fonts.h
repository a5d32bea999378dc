#pragma once

#include <QFont>

namespace ventoria::ui {

// The interface font at a size in points (one point per logical pixel, as on a Mac): the
// system font on macOS, Inter on Linux.
QFont uiFont(qreal points, QFont::Weight weight = QFont::Normal);
// Makes the interface font the application's default.
void installInterfaceFont();

}  // namespace ventoria::ui
