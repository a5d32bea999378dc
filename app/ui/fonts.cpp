#include "fonts.h"

#include <QApplication>

namespace ventoria::ui {

QFont uiFont(qreal points, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(static_cast<int>(std::lround(points)));
    font.setWeight(weight);
    return font;
}

void installInterfaceFont() {
#ifndef __APPLE__
    // fontconfig keeps choosing DejaVu unless asked for Inter by name.
    QFont font(QStringLiteral("Inter"));
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
#endif
}

}  // namespace ventoria::ui
