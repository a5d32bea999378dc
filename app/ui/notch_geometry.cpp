#include "notch_geometry.h"

#include <algorithm>
#include <cmath>

namespace ventoria::ui {

QSizeF closedContentSize(QSizeF notch) {
    return {notch.width() + 2 * kNotchSideExtension, notch.height()};
}

QSizeF openContentSize(QSizeF notch) {
    return {std::max(notch.width() + 2 * kNotchSideExtension, kOpenMinimumWidth),
            notch.height() + kOpenBodyHeight};
}

QSizeF panelSize(QSizeF notch, bool open) {
    if (!open) return closedContentSize(notch);
    auto content = openContentSize(notch);
    return {content.width() + 2 * kShadowMargin, content.height() + kShadowMargin};
}

QRect panelFrame(const QRect& screen, QSizeF notch, bool open) {
    auto size = panelSize(notch, open);
    int width = static_cast<int>(std::lround(size.width()));
    int height = static_cast<int>(std::lround(size.height()));
    int centre = screen.left() + screen.width() / 2;
    return {centre - width / 2, screen.top(), width, height};
}

}  // namespace ventoria::ui
