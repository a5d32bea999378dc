#pragma once
// The colours the interface draws with. All sRGB.

#include <QColor>
#include <QPalette>

namespace ventoria::ui {

// The popover's, the editor's and the chart's colours, for light and dark appearance.
struct PopoverTheme {
    QColor text;       // primary text, glyphs
    QColor sub;        // secondary text
    QColor tile;       // unselected tiles, the glyph tile
    QColor track;      // bar tracks, dividers
    QColor hover;      // the row under the pointer
    QColor segmentOn;  // the selected segment
    QColor boost;      // Smart boost
    QColor safety;     // Smart safety

    static PopoverTheme forScheme(bool dark);
};

// Whether a palette is a dark appearance: its window is darker than its text.
bool isDark(const QPalette& palette);
// The desktop's current appearance.
bool desktopIsDark();

// The notch always draws dark, with these two of the dark theme's colours.
inline const QColor kNotchBoost = QColor::fromRgbF(1.0f, 0.701961f, 0.25098f);
inline const QColor kNotchSafety = QColor::fromRgbF(1.0f, 0.411765f, 0.380392f);

// The temperature tiles' colours and metrics.
struct TempPalette {
    QColor text;
    QColor label;
    QColor fill;
    QColor boost;
    QColor safety;
    qreal inset;
    qreal radius;

    static const TempPalette& notch();
};

// The colour a fraction `t` of the way from `from` to `to`, alpha included.
QColor blend(const QColor& from, const QColor& to, double t);

// The menu-bar icon's colour during a Smart safety boost.
QColor iconSafetyColor(bool dark);
// The system accent colour.
QColor accentColor();

}  // namespace ventoria::ui
