#include "controls/eliding_label.h"

#include <QFontMetricsF>

#include "controls/tabular_text.h"

namespace ventoria::ui {

ElidingLabel::ElidingLabel(QWidget* parent) : NumberLabel(parent) {
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
    NumberLabel::resizeEvent(event);
    elide();
}

void ElidingLabel::elide() {
    auto shown = elidedTabular(QFontMetricsF(font()), full_, width());
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
