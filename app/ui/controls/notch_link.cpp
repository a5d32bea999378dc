#include "controls/notch_link.h"

#include <QPainter>

#include "controls/decorations.h"
#include "fonts.h"
#include "theme.h"

namespace ventoria::ui {

NotchLink::NotchLink(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setText(title);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

QSize NotchLink::sizeHint() const {
    return QFontMetrics(uiFont(11)).size(Qt::TextSingleLine, text()) + QSize(2, 4);
}

bool NotchLink::event(QEvent* event) {
    followHover(*this, *event, hovered_);
    return QAbstractButton::event(event);
}

void NotchLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(uiFont(11));
    painter.setPen(notchWhite(hovered_ ? 0.9f : 0.55f));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace ventoria::ui
