#pragma once
// The notch panel's sizes, as pure functions of the camera housing's size.

#include <QRect>
#include <QSizeF>

namespace ventoria::ui {

inline constexpr qreal kNotchSideExtension = 46;  // each side, beyond the housing
inline constexpr qreal kOpenMinimumWidth = 380;
inline constexpr qreal kOpenBodyHeight = 192;
inline constexpr qreal kShadowMargin = 30;  // left, right and below the open shape

QSizeF closedContentSize(QSizeF notch);
QSizeF openContentSize(QSizeF notch);
QSizeF panelSize(QSizeF notch, bool open);
// The panel's frame on a screen: centred, its top edge flush with the screen's top.
QRect panelFrame(const QRect& screen, QSizeF notch, bool open);

}  // namespace ventoria::ui
