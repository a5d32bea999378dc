#include "panel_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/close_button.h"
#include "controls/decorations.h"
#include "controls/number_label.h"
#include "fonts.h"
#include "native_window.h"

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
    if (!systemDrawsCloseControl()) {
        // Where the system gives the window no title bar, a mouse must still be able to close
        // it: a control where the Mac has its own, at the title's left.
        auto* close = new CloseButton(this);
        close->setObjectName(QStringLiteral("close"));
        close->setColors(theme_.sub, theme_.track);
        connect(close, &CloseButton::clicked, this, [this] { window()->close(); });
        close_ = close;
    }
    header_ = header;
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

void PanelView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (close_ && header_) {
        close_->resize(close_->sizeHint());
        close_->move(12, header_->geometry().center().y() - close_->height() / 2 + 1);
        close_->raise();
    }
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
