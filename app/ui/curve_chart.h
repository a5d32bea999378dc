#pragma once
// The chart of the Smart curve in the preset editor: the fan level the controller asks for at
// each chip or case temperature, with the current temperature marked. Geometry is computed in
// a 340 × 120 design space.

#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "theme.h"
#include "ventoria/app/model_types.h"
#include "ventoria/smart/smart_curves.h"

namespace ventoria::ui {

struct ChartAxis {
    double lo;
    double hi;
};

ChartAxis chartAxis(bool chip);  // 40…105 °C for the chip, 25…60 °C for the case
double chartX(double t, ChartAxis axis);
double chartY(double level);
// The curve with the minimum as a floor under it.
double chartLevel(double t, smart::CurveRange range, double minimum);
// The curve's points from lo to hi in steps of 0.5 °C, both ends included.
// The temperatures labelled under the axis: where the curve starts and where it reaches full
// speed. On the chip's axis the safety line's "100°" takes precedence: a label that would
// overlap it gives way.
std::vector<double> curveLabels(smart::CurveRange range, bool chip);
std::vector<QPointF> curvePoints(smart::CurveRange range, double minimum, ChartAxis axis);
// Where the "Now" marker stands in the design space: on the curve at `current`, kept on the
// axis's edge for a temperature beyond it.
QPointF markerPoint(double current, smart::CurveRange range, double minimum, ChartAxis axis);
QString axisCaption(bool chip);
// "Now 82 °C → 63 %" (or °F), or empty without a reading.
QString nowCaption(std::optional<double> current, smart::CurveRange range, double minimum,
                   app::TemperatureUnit unit);
// A labelled temperature under the axis, "68°", in `unit`.
QString degreeLabel(double celsius, app::TemperatureUnit unit);

class CurveChart : public QWidget {
    Q_OBJECT
  public:
    explicit CurveChart(QWidget* parent = nullptr);

    void setCurve(smart::CurveRange range, double minimum, bool chip,
                  std::optional<double> current);
    void setTheme(const PopoverTheme& theme);
    // The unit of the labels and the caption; the axis itself stays in Celsius.
    void setUnit(app::TemperatureUnit unit);
    // The temperature the "Now" marker stands at.
    std::optional<double> current() const { return current_; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override { return {352, heightForWidth(352)}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPointF at(qreal x, qreal y) const;
    void drawCentredLabel(QPainter& painter, qreal x, const QString& text) const;
    void drawGrid(QPainter& painter) const;
    void drawSafetyLine(QPainter& painter) const;
    void drawCurve(QPainter& painter) const;
    void drawAxisMarks(QPainter& painter) const;
    void drawMarker(QPainter& painter) const;
    void drawCaptions(QPainter& painter) const;

    smart::CurveRange range_{68, 95};
    double minimum_ = 0;
    bool chip_ = true;
    std::optional<double> current_;
    app::TemperatureUnit unit_ = app::TemperatureUnit::celsius;
    PopoverTheme theme_;
};

}  // namespace ventoria::ui
