#include "history_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "fonts.h"
#include "ventoria/app/model_text.h"

namespace ventoria::ui {
namespace {

constexpr double kLowest = 20;    // °C at the plot's foot
constexpr double kHighest = 110;  // °C at its head
constexpr qreal kLeftAxis = 34;   // room for the temperature labels
constexpr qreal kRightAxis = 40;  // and for the fan level's
constexpr qreal kLegend = 18;

}  // namespace

double historyX(std::chrono::steady_clock::time_point at, std::chrono::steady_clock::time_point now,
                double width) {
    double span = std::chrono::duration<double>(app::History::kSpan).count();
    double age = std::chrono::duration<double>(now - at).count();
    return std::clamp((span - age) / span, 0.0, 1.0) * width;
}

double historyTemperatureY(double celsius, double height) {
    return std::clamp((celsius - kLowest) / (kHighest - kLowest), 0.0, 1.0) * height;
}

HistoryChart::HistoryChart(const PopoverTheme& theme, QWidget* parent)
    : QWidget(parent), theme_(theme) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
}

void HistoryChart::setHistory(std::vector<app::HistorySample> samples, app::TemperatureUnit unit) {
    samples_ = std::move(samples);
    unit_ = unit;
    update();
}

QRectF HistoryChart::plot() const {
    return QRectF(rect()).adjusted(kLeftAxis, 6, -kRightAxis, -kLegend - 4);
}

void HistoryChart::drawAxes(QPainter& painter) const {
    auto area = plot();
    painter.setFont(uiFont(10));
    for (double celsius : {30.0, 60.0, 90.0}) {
        qreal y = area.bottom() - historyTemperatureY(celsius, area.height());
        painter.setPen(QPen(theme_.track, 1));
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(theme_.sub);
        painter.drawText(QRectF(0, y - 7, kLeftAxis - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                         app::shortTemperatureText(celsius, unit_));
    }
    for (int percent : {0, 50, 100}) {
        qreal y = area.bottom() - area.height() * percent / 100.0;
        painter.drawText(QRectF(area.right() + 6, y - 7, kRightAxis - 6, 14),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("%1 %").arg(percent));
    }
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), 14), Qt::AlignLeft,
                     QStringLiteral("30 min ago"));
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), 14), Qt::AlignRight,
                     QStringLiteral("now"));
}

void HistoryChart::drawLine(
    QPainter& painter, const QColor& color, bool dashed,
    const std::function<std::optional<double>(const app::HistorySample&)>& height) const {
    if (samples_.empty()) return;
    auto area = plot();
    auto now = samples_.back().monotonic;
    QPainterPath path;
    bool drawing = false;
    for (const auto& sample : samples_) {
        auto up = height(sample);
        if (!up) {
            drawing = false;  // a gap where nothing was read
            continue;
        }
        QPointF point(area.left() + historyX(sample.monotonic, now, area.width()),
                      area.bottom() - *up);
        if (drawing) {
            path.lineTo(point);
        } else {
            path.moveTo(point);
        }
        drawing = true;
    }
    QPen pen(color, 1.5, dashed ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    // The newest reading as a dot, so a history only a poll long still shows where it stands.
    if (drawing) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(path.currentPosition(), 2.5, 2.5);
    }
}

void HistoryChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    drawAxes(painter);
    auto area = plot();
    QColor chip = accentColor();
    QColor chassis = theme_.boost;
    QColor fans = theme_.sub;
    auto temperature = [&](std::optional<double> celsius) -> std::optional<double> {
        if (!celsius) return std::nullopt;
        return historyTemperatureY(*celsius, area.height());
    };
    drawLine(painter, chassis, false, [&](const auto& s) { return temperature(s.chassis); });
    drawLine(painter, chip, false, [&](const auto& s) { return temperature(s.chip); });
    drawLine(painter, fans, true, [&](const auto& s) -> std::optional<double> {
        return std::clamp(s.level, 0.0, 1.0) * area.height();
    });

    // The legend, under the plot's middle.
    painter.setFont(uiFont(10));
    qreal x = area.center().x() - 90;
    qreal y = rect().bottom() - kLegend / 2;
    for (auto [name, color] :
         {std::pair{QStringLiteral("Chip"), chip}, std::pair{QStringLiteral("Case"), chassis},
          std::pair{QStringLiteral("Fans"), fans}}) {
        painter.setPen(QPen(color, 2));
        painter.drawLine(QPointF(x, y), QPointF(x + 12, y));
        painter.setPen(theme_.sub);
        painter.drawText(QRectF(x + 16, y - 7, 44, 14), Qt::AlignLeft | Qt::AlignVCenter, name);
        x += 64;
    }
}

}  // namespace ventoria::ui
