#include "controls/tabular_text.h"

#include <algorithm>

namespace ventoria::ui {
namespace {

qreal digitCell(const QFontMetricsF& metrics) {
    qreal widest = 0;
    for (QChar digit = u'0'; digit <= u'9'; digit = QChar(digit.unicode() + 1)) {
        widest = std::max(widest, metrics.horizontalAdvance(digit));
    }
    return widest;
}

// Calls `run` for each stretch of the text: a single digit, or a stretch of other characters
// kept together so that their own kerning stays.
template <typename Run>
void forEachRun(const QString& text, Run run) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        bool end = i == text.size();
        if (!end && !text[i].isDigit()) continue;
        if (i > start) run(text.mid(start, i - start), false);
        if (!end) run(QString(text[i]), true);
        start = i + 1;
    }
}

}  // namespace

qreal tabularWidth(const QFontMetricsF& metrics, const QString& text) {
    qreal cell = digitCell(metrics);
    qreal width = 0;
    forEachRun(text, [&](const QString& run, bool digit) {
        width += digit ? cell : metrics.horizontalAdvance(run);
    });
    return width;
}

void drawTabular(QPainter& painter, const QRectF& box, Qt::Alignment alignment,
                 const QString& text) {
    QFontMetricsF metrics(painter.font());
    qreal width = tabularWidth(metrics, text);
    qreal x = box.left();
    if (alignment & Qt::AlignRight) x = box.right() - width;
    if (alignment & Qt::AlignHCenter) x = box.center().x() - width / 2;
    qreal baseline = box.top() + metrics.ascent();
    if (alignment & Qt::AlignBottom) baseline = box.bottom() - metrics.descent();
    if (alignment & Qt::AlignVCenter) {
        baseline = box.center().y() - metrics.height() / 2 + metrics.ascent();
    }
    qreal cell = digitCell(metrics);
    forEachRun(text, [&](const QString& run, bool digit) {
        qreal advance = metrics.horizontalAdvance(run);
        painter.drawText(QPointF(digit ? x + (cell - advance) / 2 : x, baseline), run);
        x += digit ? cell : advance;
    });
}

QString elidedTabular(const QFontMetricsF& metrics, const QString& text, qreal width) {
    if (tabularWidth(metrics, text) <= width) return text;
    const QString ellipsis(QChar(0x2026));
    // The longest start of the text that fits with the ellipsis.
    qsizetype fits = 0;
    for (qsizetype length = 1; length <= text.size(); ++length) {
        if (tabularWidth(metrics, text.left(length).trimmed() + ellipsis) > width) break;
        fits = length;
    }
    return text.left(fits).trimmed() + ellipsis;
}

}  // namespace ventoria::ui
