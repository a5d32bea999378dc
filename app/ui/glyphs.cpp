#include "glyphs.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

#include "controls/tabular_text.h"
#include "fonts.h"
#include "theme.h"

namespace ventoria::ui {

double bladeOpacity(int index, double lit) {
    // Between whole numbers (while the lit count animates) a blade fades in proportion.
    double share = std::clamp(lit - index, 0.0, 1.0);
    return kDimBladeOpacity + (1 - kDimBladeOpacity) * share;
}

double bladeRotation(int index, double angle) {
    return std::fmod(angle, 360.0) + 45.0 + index * 120.0;
}

int litBlades(double level) {
    return std::max(1, static_cast<int>(std::ceil(level * 3 - 0.01)));
}

void paintFanGlyph(QPainter& painter, const QRectF& square, double lit, bool hub,
                   const QColor& color, double angle) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.translate(square.center());
    painter.scale(square.width() / 16.0, square.height() / 16.0);
    for (int blade = 0; blade < 3; ++blade) {
        painter.save();
        painter.rotate(bladeRotation(blade, angle));
        QColor fill = color;
        fill.setAlphaF(static_cast<float>(color.alphaF() * bladeOpacity(blade, lit)));
        painter.setBrush(fill);
        painter.drawEllipse(kBladeRect);
        painter.restore();
    }
    if (hub) {
        painter.setBrush(color);
        painter.drawEllipse(kHubRect);
    }
    painter.restore();
}

void paintThermometer(QPainter& painter, const QRectF& square, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(square.topLeft());
    painter.scale(square.width() / 12.0, square.height() / 12.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color, 1.3));
    painter.drawRoundedRect(QRectF(4.1, 0.7, 3.8, 7.2), 1.9, 1.9);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(3.6, 6.8, 4.8, 4.8));
    painter.drawRoundedRect(QRectF(5.35, 3.6, 1.3, 5), 0.65, 0.65);
    painter.restore();
}

void paintPresetBars(QPainter& painter, QPointF bottomLeft, int lit, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int bar = 1; bar <= 3; ++bar) {
        qreal height = 4 + 2.6 * bar;
        QColor fill = color;
        fill.setAlphaF(static_cast<float>(color.alphaF() * (bar <= lit ? 1.0 : kDimBladeOpacity)));
        painter.setBrush(fill);
        painter.drawRoundedRect(
            QRectF(bottomLeft.x() + (bar - 1) * 5, bottomLeft.y() - height, 3, height), 1, 1);
    }
    painter.restore();
}

QImage statusIcon(int lit, bool safety, bool darkPanel, qreal scale, const QString& label) {
    constexpr qreal kGap = 4;
    QFont font = uiFont(11, QFont::DemiBold);
    qreal labelWidth = label.isEmpty() ? 0 : kGap + tabularWidth(QFontMetricsF(font), label);
    QSize size(static_cast<int>(std::ceil(16 + labelWidth)), 16);
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QColor color =
        safety ? iconSafetyColor(darkPanel) : (darkPanel ? QColor(Qt::white) : QColor(Qt::black));
    paintFanGlyph(painter, QRectF(0, 0, 16, 16), lit, true, color, 0);
    if (!label.isEmpty()) {
        painter.setFont(font);
        painter.setPen(color);
        drawTabular(painter, QRectF(16 + kGap, 0, labelWidth - kGap, 16), Qt::AlignVCenter, label);
    }
    return image;
}

QIcon statusItemIcon(const QImage& image, bool safety) {
    QIcon icon(QPixmap::fromImage(image));
    icon.setIsMask(!safety);
    return icon;
}

}  // namespace ventoria::ui
