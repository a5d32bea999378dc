#pragma once
// Text with tabular figures: each digit takes the width of the font's widest, so a number that
// changes keeps its place and its width instead of jittering. Fonts can do this themselves
// (their "tnum" feature), but Qt asks for font features only from 6.7 on, and the interface's
// fonts (Inter, the Mac's system font) have proportional figures by default; so every changing
// number is measured and drawn here, one digit to a cell.

#include <QFontMetricsF>
#include <QPainter>
#include <QString>

namespace ventoria::ui {

// The width `text` takes with tabular figures.
qreal tabularWidth(const QFontMetricsF& metrics, const QString& text);
// Draws `text` with tabular figures in the painter's font and pen, aligned in `box` (left,
// right or centred; top, bottom or centred).
void drawTabular(QPainter& painter, const QRectF& box, Qt::Alignment alignment,
                 const QString& text);
// `text` cut to fit `width` with an ellipsis, as drawn with tabular figures; the whole text
// when it fits.
QString elidedTabular(const QFontMetricsF& metrics, const QString& text, qreal width);

}  // namespace ventoria::ui
