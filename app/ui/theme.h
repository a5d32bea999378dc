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

// Smart's two alert colours for each appearance, defined once: the themes, the notch and the
// menu-bar icon all draw with these.
inline const QColor kDarkBoost = QColor::fromRgbF(1.0f, 0.701961f, 0.25098f);
inline const QColor kDarkSafety = QColor::fromRgbF(1.0f, 0.411765f, 0.380392f);
inline const QColor kLightBoost = QColor::fromRgbF(0.698039f, 0.313725f, 0.0f);
inline const QColor kLightSafety = QColor::fromRgbF(0.843137f, 0.0f, 0.0823529f);

// The notch always draws dark.
inline const QColor kNotchBoost = kDarkBoost;
inline const QColor kNotchSafety = kDarkSafety;
// The notch's text and tiles: white at an opacity.
inline QColor notchWhite(float opacity) {
    return QColor::fromRgbF(1, 1, 1, opacity);
}

// The popover's and the editor's window: their fill (`alpha` of 255 is opaque) and hairline.
QColor panelFill(bool dark, int alpha = 255);
QColor panelBorder(bool dark);

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
