#include "controls/eliding_label.h"

#include <QFontMetrics>

namespace ventoria::ui {

ElidingLabel::ElidingLabel(QWidget* parent) : QLabel(parent) {
    // The label takes the width its layout gives it, not the width of its whole text.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidingLabel::setFullText(const QString& text, const QString& detail) {
    if (text == full_ && detail == detail_ && !text.isEmpty()) return;
    full_ = text;
    detail_ = detail == text ? QString() : detail;
    elide();
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidingLabel::elide() {
    auto shown = fontMetrics().elidedText(full_, Qt::ElideRight, width());
    // Before the first layout the width is unknown: show the whole text until it is.
    if (width() <= 0) shown = full_;
    setText(shown);
    if (!detail_.isEmpty()) {
        setToolTip(detail_);
    } else {
        setToolTip(shown == full_ ? QString() : full_);
    }
}

}  // namespace ventoria::ui
