#pragma once
// The drawings shared by the menu-bar icon, the popover and the notch: a three-bladed fan in
// a 16 × 16 design space and a thermometer in a 12 × 12 one.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>

namespace ventoria::ui {

// A blade: the ellipse in this rectangle, a petal from the centre upward.
inline constexpr QRectF kBladeRect{-2.3, -7.6, 4.6, 7.8};
inline constexpr QRectF kHubRect{-1.1, -1.1, 2.2, 2.2};
inline constexpr double kDimBladeOpacity = 0.3;

// Blade `index` (0, 1, 2) is lit when `lit` exceeds it; lit may be fractional mid-animation.
double bladeOpacity(int index, double lit);
// The rotation of blade `index` about the centre, in degrees, for a glyph turned by `angle`.
double bladeRotation(int index, double angle);
// Lit blades for a fan level: ceil(level × 3 − 0.01), at least one.
int litBlades(double level);

// The fan in `square`, turned by `angle` degrees on top of its 45° base rotation.
void paintFanGlyph(QPainter& painter, const QRectF& square, double lit, bool hub,
                   const QColor& color, double angle);
void paintThermometer(QPainter& painter, const QRectF& square, const QColor& color);

// A fixed preset's three bars, 3 points wide and 4 + 2.6 × i high, standing on `bottomLeft`;
// bars up to `lit` at full opacity, the rest at 0.3.
void paintPresetBars(QPainter& painter, QPointF bottomLeft, int lit, const QColor& color);

// The menu-bar icon: 16 × 16 points at `scale` pixels per point. Red during a Smart safety
// boost; otherwise black on a light panel and white on a dark one.
QImage statusIcon(int lit, bool safety, bool darkPanel, qreal scale = 1, const QString& label = {});
// The status item's icon from statusIcon(): a template (a mask the menu bar colours to suit
// itself, on a Mac) except the safety red, which must stay red.
QIcon statusItemIcon(const QImage& image, bool safety);

}  // namespace ventoria::ui
