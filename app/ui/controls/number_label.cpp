#include "controls/number_label.h"

#include <QPainter>
#include <cmath>

#include "controls/tabular_text.h"

namespace ventoria::ui {

QSize NumberLabel::sizeHint() const {
    QSize size = QLabel::sizeHint();
    auto margins = contentsMargins();
    int width = static_cast<int>(std::ceil(tabularWidth(QFontMetricsF(font()), text())));
    size.setWidth(width + margins.left() + margins.right() + 2 * margin());
    return size;
}

void NumberLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    drawTabular(painter, contentsRect().adjusted(margin(), margin(), -margin(), -margin()),
                alignment(), text());
}

}  // namespace ventoria::ui
