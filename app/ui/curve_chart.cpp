#include "curve_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "controls/tabular_text.h"
#include "fonts.h"
#include "ventoria/app/model_text.h"

namespace ventoria::ui {
namespace {

constexpr qreal kDesignWidth = 340;
constexpr qreal kDesignHeight = 120;
constexpr qreal kPlotLeft = 32;
constexpr qreal kPlotRight = 332;
constexpr qreal kPadTop = 8;
constexpr qreal kPadSide = 6;
constexpr qreal kPadBottom = 4;
constexpr qreal kCaptionHeight = 16;

}  // namespace

ChartAxis chartAxis(bool chip) {
    return chip ? ChartAxis{40, 105} : ChartAxis{25, 60};
}

double chartX(double t, ChartAxis axis) {
    return 32 + 300 * (t - axis.lo) / (axis.hi - axis.lo);
}

double chartY(double level) {
    return 100 - 0.92 * level;
}

double chartLevel(double t, smart::CurveRange range, double minimum) {
    return std::max(smart::curveLevel(range, t).value_or(0.0), minimum);
}

std::vector<QPointF> curvePoints(smart::CurveRange range, double minimum, ChartAxis axis) {
    std::vector<QPointF> points;
    int steps = static_cast<int>(std::lround((axis.hi - axis.lo) / 0.5));
    for (int i = 0; i <= steps; ++i) {
        double t = axis.lo + 0.5 * i;
        points.emplace_back(chartX(t, axis), chartY(chartLevel(t, range, minimum)));
    }
    return points;
}

QPointF markerPoint(double current, smart::CurveRange range, double minimum, ChartAxis axis) {
    // Outside the axis the marker stays on its edge.
    double t = std::clamp(current, axis.lo, axis.hi);
    return {chartX(t, axis), chartY(chartLevel(current, range, minimum))};
}

QString axisCaption(bool chip) {
    return chip ? QStringLiteral("Chip temperature →")
                : QStringLiteral("Case / airflow temperature →");
}

QString nowCaption(std::optional<double> current, smart::CurveRange range, double minimum,
                   app::TemperatureUnit unit) {
    if (!current) return {};
    return QStringLiteral("Now %1 → %2 %")
        .arg(app::temperatureText(*current, unit))
        .arg(app::wholeText(chartLevel(*current, range, minimum)));
}

QString degreeLabel(double celsius, app::TemperatureUnit unit) {
    return app::wholeText(app::inUnit(celsius, unit)) + QStringLiteral("°");
}

CurveChart::CurveChart(QWidget* parent) : QWidget(parent), theme_(PopoverTheme::forScheme(false)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CurveChart::setCurve(smart::CurveRange range, double minimum, bool chip,
                          std::optional<double> current) {
    range_ = range;
    minimum_ = minimum;
    chip_ = chip;
    current_ = current;
    update();
}

void CurveChart::setTheme(const PopoverTheme& theme) {
    theme_ = theme;
    update();
}

void CurveChart::setUnit(app::TemperatureUnit unit) {
    if (unit == unit_) return;
    unit_ = unit;
    update();
}

int CurveChart::heightForWidth(int width) const {
    qreal canvas = (width - 2 * kPadSide) * kDesignHeight / kDesignWidth;
    return static_cast<int>(std::ceil(kPadTop + canvas + kCaptionHeight + kPadBottom));
}

std::vector<double> curveLabels(smart::CurveRange range, bool chip) {
    // Half of "100°" and half of a two-digit label at the labels' size, with a little air,
    // in the chart's design units: centres closer than this overlap.
    constexpr double kLabelWidth = 19;
    auto axis = chartAxis(chip);
    std::vector<double> labels;
    for (double t : {range.start, range.full}) {
        if (chip && std::abs(chartX(t, axis) - chartX(100, axis)) < kLabelWidth) continue;
        labels.push_back(t);
    }
    return labels;
}

void CurveChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme_.tile);
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
    painter.setFont(uiFont(9));
    drawGrid(painter);
    if (chip_) drawSafetyLine(painter);
    drawCurve(painter);
    drawAxisMarks(painter);
    if (current_) drawMarker(painter);
    drawCaptions(painter);
}

// A point of the design's 300-point-wide plot, scaled to the widget's width.
QPointF CurveChart::at(qreal x, qreal y) const {
    qreal scale = (width() - 2 * kPadSide) / kDesignWidth;
    return {kPadSide + x * scale, kPadTop + y * scale};
}

void CurveChart::drawCentredLabel(QPainter& painter, qreal x, const QString& text) const {
    QPointF anchor = at(x, 111);
    painter.drawText(QRectF(anchor.x() - 20, anchor.y() - 7, 40, 14), Qt::AlignCenter, text);
}

void CurveChart::drawGrid(QPainter& painter) const {
    for (auto [y, label] : {std::pair{8.0, "100%"}, std::pair{54.0, "50"}, std::pair{100.0, "0"}}) {
        painter.setPen(QPen(theme_.track, 1));
        painter.drawLine(at(kPlotLeft, y), at(kPlotRight, y));
        painter.setPen(theme_.sub);
        QPointF anchor = at(27, y);
        painter.drawText(QRectF(anchor.x() - 40, anchor.y() - 7, 40, 14),
                         Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(label));
    }
}

void CurveChart::drawSafetyLine(QPainter& painter) const {
    qreal x = chartX(100, chartAxis(chip_));
    QPen dashed(theme_.safety, 1);
    dashed.setDashPattern({2, 3});
    painter.setPen(dashed);
    painter.drawLine(at(x, 8), at(x, 100));
    painter.setPen(theme_.safety);
    drawCentredLabel(painter, x, degreeLabel(100, unit_));
}

void CurveChart::drawCurve(QPainter& painter) const {
    QPainterPath curve;
    auto points = curvePoints(range_, minimum_, chartAxis(chip_));
    curve.moveTo(at(points.front().x(), points.front().y()));
    for (const auto& point : points) curve.lineTo(at(point.x(), point.y()));
    QPainterPath area = curve;
    area.lineTo(at(kPlotRight, 100));
    area.lineTo(at(kPlotLeft, 100));
    area.closeSubpath();
    QColor accent = accentColor();
    QColor fill = accent;
    fill.setAlphaF(0.14f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(area);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(accent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(curve);
}

// Ticks where the curve starts and reaches full speed, and the labelled temperatures.
void CurveChart::drawAxisMarks(QPainter& painter) const {
    auto axis = chartAxis(chip_);
    for (double t : {range_.start, range_.full}) {
        qreal x = chartX(t, axis);
        painter.setPen(QPen(theme_.sub, 1));
        painter.drawLine(at(x, 100), at(x, 104));
    }
    for (double t : curveLabels(range_, chip_)) {
        drawCentredLabel(painter, chartX(t, axis), degreeLabel(t, unit_));
    }
}

void CurveChart::drawMarker(QPainter& painter) const {
    auto design = markerPoint(*current_, range_, minimum_, chartAxis(chip_));
    QPointF centre = at(design.x(), design.y());
    painter.setPen(QPen(accentColor(), 2));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawEllipse(centre, 4, 4);
}

void CurveChart::drawCaptions(QPainter& painter) const {
    QRectF caption(kPadSide, height() - kPadBottom - kCaptionHeight, width() - 2 * kPadSide,
                   kCaptionHeight);
    painter.setFont(uiFont(10));
    painter.setPen(theme_.sub);
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, axisCaption(chip_));
    drawTabular(painter, caption, Qt::AlignRight | Qt::AlignVCenter,
                nowCaption(current_, range_, minimum_, unit_));
}

}  // namespace ventoria::ui
