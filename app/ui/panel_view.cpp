#include "panel_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/decorations.h"
#include "controls/number_label.h"
#include "fonts.h"

namespace ventoria::ui {

PanelView::PanelView(QWidget* parent)
    : QWidget(parent), dark_(desktopIsDark()), theme_(PopoverTheme::forScheme(dark_)) {
    setAttribute(Qt::WA_TranslucentBackground);
}

QLabel* PanelView::text(const QString& content, const QFont& font) {
    auto* label = new QLabel(content, this);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

QLabel* PanelView::number(const QFont& font) {
    auto* label = new NumberLabel(this);
    label->setFont(font);
    return label;
}

QVBoxLayout* PanelView::frame(const QString& titleText, int width, int bottom, int spacing) {
    constexpr int kSide = 20;
    setFixedWidth(width);
    setFocusPolicy(Qt::StrongFocus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* header = text(titleText, uiFont(13, QFont::DemiBold));
    header->setAlignment(Qt::AlignCenter);
    header->setMinimumHeight(38);
    tint(header, theme_.text);
    outer->addWidget(header);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(kSide, 4, kSide, bottom);
    body->setSpacing(spacing);
    outer->addLayout(body);
    return body;
}

Hairline* PanelView::divider() {
    auto* line = new Hairline(this);
    line->setColor(theme_.track);
    return line;
}

void PanelView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        window()->close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(panelBorder(dark_), 0.5));
    painter.setBrush(panelFill(dark_));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
}

void PanelView::mousePressEvent(QMouseEvent* event) {
    dragFrom_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
}

void PanelView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        window()->move(event->globalPosition().toPoint() - dragFrom_);
    }
}

}  // namespace ventoria::ui
