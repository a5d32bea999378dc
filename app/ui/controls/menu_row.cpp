#include "controls/menu_row.h"

#include <QPainter>

#include "controls/decorations.h"
#include "fonts.h"

namespace ventoria::ui {

MenuRow::MenuRow(const QString& title, const QString& hint, QWidget* parent)
    : QAbstractButton(parent), hint_(hint), theme_(PopoverTheme::forScheme(false)) {
    setText(title);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MenuRow::setTheme(const PopoverTheme& theme) {
    theme_ = theme;
    update();
}

QSize MenuRow::sizeHint() const {
    return {200, 28};
}

bool MenuRow::event(QEvent* event) {
    followHover(*this, *event, hovered_);
    return QAbstractButton::event(event);
}

void MenuRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (hovered_ && isEnabled()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme_.hover);
        painter.drawRoundedRect(QRectF(rect()), 6, 6);
    }
    QRectF content = QRectF(rect()).adjusted(6, 6, -6, -6);
    painter.setFont(uiFont(13));
    painter.setPen(theme_.text);
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (!hint_.isEmpty()) {
        painter.setFont(uiFont(12));
        painter.setPen(theme_.sub);
        painter.drawText(content, Qt::AlignRight | Qt::AlignVCenter, hint_);
    }
}

}  // namespace ventoria::ui
