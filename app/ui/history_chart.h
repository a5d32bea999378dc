#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "theme.h"
#include "ventoria/app/history.h"
#include "ventoria/app/model_types.h"

namespace ventoria::ui {

// Where a sample taken `at` stands across a plot `width` wide whose right edge is `now` and
// whose left edge is History::kSpan before it: 0 at the left, `width` at the right, clamped.
double historyX(std::chrono::steady_clock::time_point at, std::chrono::steady_clock::time_point now,
                double width);
// A temperature's height in a plot `height` tall spanning 20…110 °C, 0 at the bottom, clamped.
double historyTemperatureY(double celsius, double height);

// The Details window's chart of the last half hour: chip and case temperature on the left
// axis, the fan level on the right.
class HistoryChart : public QWidget {
    Q_OBJECT
  public:
    explicit HistoryChart(const PopoverTheme& theme, QWidget* parent = nullptr);

    void setHistory(std::vector<app::HistorySample> samples, app::TemperatureUnit unit);
    QSize sizeHint() const override { return {480, 150}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRectF plot() const;
    void drawAxes(QPainter& painter) const;
    void drawLine(
        QPainter& painter, const QColor& color, bool dashed,
        const std::function<std::optional<double>(const app::HistorySample&)>& height) const;

    PopoverTheme theme_;
    std::vector<app::HistorySample> samples_;
    app::TemperatureUnit unit_ = app::TemperatureUnit::celsius;
};

}  // namespace ventoria::ui
