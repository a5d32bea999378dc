#include "controls/segmented.h"

#include <QMouseEvent>
#include <QPainter>
#include <cassert>
#include <cmath>

#include "fonts.h"

namespace ventoria::ui {

Segmented::Segmented(QStringList titles, bool fill, QWidget* parent)
    : QWidget(parent),
      titles_(std::move(titles)),
      fill_(fill),
      theme_(PopoverTheme::forScheme(false)) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(fill ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Segmented::setSelected(int index) {
    assert(index >= 0 && index < titles_.size());
    if (index == selected_) return;
    selected_ = index;
    update();
}

void Segmented::setTheme(const PopoverTheme& theme) {
    theme_ = theme;
    update();
}

QFont Segmented::font() const {
    return uiFont(fill_ ? 12 : 11, QFont::Medium);
}

QSize Segmented::sizeHint() const {
    QFontMetricsF metrics(font());
    qreal padX = fill_ ? 9 : 6;
    qreal padY = fill_ ? 4 : 2;
    qreal width = 4 + 2 * static_cast<qreal>(titles_.size() - 1);
    for (const auto& title : titles_) width += metrics.horizontalAdvance(title) + 2 * padX;
    return QSize(static_cast<int>(std::ceil(width)),
                 static_cast<int>(std::ceil(metrics.height() + 2 * padY + 4)));
}

QRectF Segmented::segment(int index) const {
    assert(index >= 0 && index < titles_.size());
    QRectF inner = QRectF(rect()).adjusted(2, 2, -2, -2);
    int count = static_cast<int>(titles_.size());
    if (fill_) {
        qreal share = (inner.width() - 2 * (count - 1)) / count;
        return QRectF(inner.left() + index * (share + 2), inner.top(), share, inner.height());
    }
    QFontMetricsF metrics(font());
    qreal x = inner.left();
    for (int i = 0; i < index; ++i) x += metrics.horizontalAdvance(titles_[i]) + 12 + 2;
    return QRectF(x, inner.top(), metrics.horizontalAdvance(titles_[index]) + 12, inner.height());
}

int Segmented::optionAt(QPoint point) const {
    for (int i = 0; i < titles_.size(); ++i) {
        if (segment(i).contains(point)) return i;
    }
    return -1;
}

void Segmented::mousePressEvent(QMouseEvent* event) {
    int index = optionAt(event->position().toPoint());
    if (index < 0) return;
    setSelected(index);
    emit chosen(index);
}

void Segmented::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme_.tile);
    qreal radius = fill_ ? 7 : 6;
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
    painter.setFont(font());
    for (int i = 0; i < titles_.size(); ++i) {
        QRectF area = segment(i);
        if (i == selected_) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.12f));
            painter.drawRoundedRect(area.translated(0, 1), radius - 2, radius - 2);
            painter.setBrush(theme_.segmentOn);
            painter.drawRoundedRect(area, radius - 2, radius - 2);
        }
        painter.setPen(theme_.text);
        painter.drawText(area, Qt::AlignCenter, titles_[i]);
    }
}

}  // namespace ventoria::ui
