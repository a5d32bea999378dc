// The interface's geometry and motion as pure functions.

#include <gtest/gtest.h>

#include <QImage>

#include "animation.h"
#include "controls/number_label.h"
#include "controls/tabular_text.h"
#include "curve_chart.h"
#include "glyphs.h"
#include "motion.h"
#include "notch_geometry.h"
#include "notch_view.h"
#include "preset_editor_view.h"
#include "theme.h"

namespace ventoria::ui {
namespace {

// A number that changes keeps its width and its place: every digit takes one cell, whatever
// its own width in the font (Inter's "1" is three quarters of its "8"), and a right-aligned
// number's last digit stays put.
TEST(TabularFigures, EveryDigitTakesTheSameCell) {
    QFont inter(QStringLiteral("Inter"));
    inter.setPixelSize(12);
    QFontMetricsF metrics(inter);
    ASSERT_LT(metrics.horizontalAdvance(QChar(u'1')), metrics.horizontalAdvance(QChar(u'8')));
    EXPECT_DOUBLE_EQ(tabularWidth(metrics, "11 %"), tabularWidth(metrics, "88 %"));
    EXPECT_DOUBLE_EQ(tabularWidth(metrics, "1111 rpm"), tabularWidth(metrics, "4096 rpm"));
    EXPECT_DOUBLE_EQ(tabularWidth(metrics, "Fan"), metrics.horizontalAdvance("Fan"));
    NumberLabel one(QStringLiteral("61 °C")), eight(QStringLiteral("88 °C"));
    one.setFont(inter);
    eight.setFont(inter);
    EXPECT_EQ(one.sizeHint(), eight.sizeHint());
    EXPECT_EQ(elidedTabular(metrics, "Helper unavailable", 1000), "Helper unavailable");
    auto cut = elidedTabular(metrics, "Helper unavailable, retrying", 60);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    EXPECT_LE(tabularWidth(metrics, cut), 60);
}

TEST(FanGlyphGeometry, BladesLightUpWithTheLevel) {
    EXPECT_EQ(litBlades(0), 1);      // always at least one
    EXPECT_EQ(litBlades(0.336), 1);  // up to 1.01 / 3
    EXPECT_EQ(litBlades(0.34), 2);
    EXPECT_EQ(litBlades(0.669), 2);
    EXPECT_EQ(litBlades(0.67), 3);
    EXPECT_EQ(litBlades(1), 3);
    for (int blade = 0; blade < 3; ++blade) {
        EXPECT_DOUBLE_EQ(bladeOpacity(blade, 0), 0.3);
        EXPECT_DOUBLE_EQ(bladeOpacity(blade, 3), 1.0);
    }
    EXPECT_DOUBLE_EQ(bladeOpacity(1, 1), 0.3);
    EXPECT_DOUBLE_EQ(bladeOpacity(1, 2), 1.0);
}

TEST(FanGlyphGeometry, ThreeBladesAt120DegreesFromA45DegreeRest) {
    EXPECT_DOUBLE_EQ(bladeRotation(0, 0), 45);
    EXPECT_DOUBLE_EQ(bladeRotation(1, 0), 165);
    EXPECT_DOUBLE_EQ(bladeRotation(2, 0), 285);
    EXPECT_DOUBLE_EQ(bladeRotation(0, 370), 55);  // the spin angle wraps
    EXPECT_EQ(kBladeRect, QRectF(-2.3, -7.6, 4.6, 7.8));
}

TEST(StatusIcon, RedOnlyInASafetyBoost) {
    auto pixelsOf = [](const QImage& image, QRgb colour) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour;
        }
        return count;
    };
    QImage safety = statusIcon(3, true, false, 4);
    EXPECT_EQ(safety.size(), QSize(64, 64));
    EXPECT_GT(pixelsOf(safety, iconSafetyColor(false).rgba()), 100);
    EXPECT_EQ(pixelsOf(safety, qRgba(0, 0, 0, 255)), 0);
    QImage calm = statusIcon(3, false, false, 4);
    EXPECT_GT(pixelsOf(calm, qRgba(0, 0, 0, 255)), 100);
    EXPECT_EQ(pixelsOf(calm, iconSafetyColor(false).rgba()), 0);
    EXPECT_EQ(iconSafetyColor(true), QColor::fromRgbF(1.0f, 105 / 255.0f, 97 / 255.0f));
    // The menu bar colours the calm icon itself; the red is shown as drawn.
    EXPECT_TRUE(statusItemIcon(calm, false).isMask());
    EXPECT_FALSE(statusItemIcon(safety, true).isMask());
}

TEST(NotchGeometry, A200By32Notch) {
    QSizeF notch(200, 32);
    EXPECT_EQ(closedContentSize(notch), QSizeF(292, 32));
    EXPECT_EQ(openContentSize(notch), QSizeF(380, 224));
    EXPECT_EQ(panelSize(notch, true), QSizeF(440, 254));
    EXPECT_EQ(panelSize(notch, false), QSizeF(292, 32));
    EXPECT_EQ(openContentSize(QSizeF(300, 38)).width(), 392);  // wider than 288: wider than 380
    QRect screen(0, 0, 1512, 982);
    EXPECT_EQ(panelFrame(screen, notch, true), QRect(536, 0, 440, 254));
    EXPECT_EQ(panelFrame(QRect(1512, 0, 1512, 982), notch, false),
              QRect(1512 + 756 - 146, 0, 292, 32));
}

TEST(CurveChartGeometry, TheDesignSpace) {
    auto chip = chartAxis(true);
    EXPECT_DOUBLE_EQ(chartX(40, chip), 32);
    EXPECT_DOUBLE_EQ(chartX(105, chip), 332);
    EXPECT_NEAR(chartX(100, chip), 308.92, 0.01);
    EXPECT_DOUBLE_EQ(chartX(60, chartAxis(false)), 332);
    EXPECT_DOUBLE_EQ(chartY(0), 100);
    EXPECT_DOUBLE_EQ(chartY(100), 8);
}

// The marker never leaves the plot: a chip far hotter or colder than the axis sits on its edge,
// at the level the curve gives it there or the minimum's floor.
TEST(CurveChartGeometry, TheMarkerStaysInsideThePlot) {
    smart::CurveRange normal{68, 95};
    auto chip = chartAxis(true);
    auto chassis = chartAxis(false);
    EXPECT_EQ(markerPoint(150, normal, 0, chip), QPointF(332, 8));
    EXPECT_EQ(markerPoint(-20, normal, 30, chip), QPointF(32, chartY(30)));
    EXPECT_EQ(markerPoint(81.5, normal, 0, chip), QPointF(chartX(81.5, chip), chartY(62.5)));
    for (double t : {-273.0, 0.0, 24.9, 25.0, 60.0, 60.1, 120.0, 1e9}) {
        auto point = markerPoint(t, {35, 50}, 100, chassis);
        EXPECT_GE(point.x(), 32) << t;
        EXPECT_LE(point.x(), 332) << t;
        EXPECT_GE(point.y(), 8) << t;
        EXPECT_LE(point.y(), 100) << t;
    }
}

TEST(CurveChartGeometry, TheNormalChipCurve) {
    smart::CurveRange normal{68, 95};
    auto points = curvePoints(normal, 0, chartAxis(true));
    ASSERT_EQ(points.size(), 131u);  // 40 to 105 in half degrees, both ends
    auto levelAt = [&](double t) {
        return (100 - points[static_cast<std::size_t>((t - 40) * 2)].y()) / 0.92;
    };
    EXPECT_NEAR(levelAt(67.5), 0, 1e-9);
    EXPECT_NEAR(levelAt(68), 25, 1e-9);
    EXPECT_NEAR(levelAt(81.5), 62.5, 1e-9);
    EXPECT_NEAR(levelAt(95), 100, 1e-9);
    EXPECT_NEAR(levelAt(105), 100, 1e-9);
    EXPECT_DOUBLE_EQ(chartLevel(73.4, normal, 40), 40);  // the floor holds until the line passes it
    EXPECT_GT(chartLevel(73.5, normal, 40), 40);
    EXPECT_EQ(nowCaption(81.5, normal, 0, app::TemperatureUnit::celsius), "Now 82 °C → 63 %");
    EXPECT_EQ(nowCaption(81.5, normal, 0, app::TemperatureUnit::fahrenheit), "Now 179 °F → 63 %");
    EXPECT_EQ(nowCaption(std::nullopt, normal, 0, app::TemperatureUnit::celsius), "");
    EXPECT_EQ(degreeLabel(100, app::TemperatureUnit::celsius), "100°");
    EXPECT_EQ(degreeLabel(100, app::TemperatureUnit::fahrenheit), "212°");
    EXPECT_EQ(degreeLabel(67.5, app::TemperatureUnit::fahrenheit), "154°");  // 153.5
    EXPECT_EQ(axisCaption(false), "Case / airflow temperature →");
}

TEST(EditorSliders, StoreTheNearestStepOfFive) {
    EXPECT_EQ(roundToStep(62), 60);
    EXPECT_EQ(roundToStep(63), 65);
    EXPECT_EQ(roundToStep(97.5), 100);
    EXPECT_EQ(roundToStep(2.5), 5);
    EXPECT_EQ(roundToStep(0), 0);
}

TEST(Motion, CurvesAndSpringsEndWhereTheyAim) {
    for (const auto& curve : {easeOut(), easeInOut(), levelCurve()}) {
        EXPECT_NEAR(curve.valueForProgress(0), 0, 1e-6);
        EXPECT_NEAR(curve.valueForProgress(1), 1, 1e-6);
    }
    EXPECT_GT(levelCurve().valueForProgress(0.3), 0.7);  // fast start, long settle
    EXPECT_DOUBLE_EQ(springProgress(0.45, 0.72, 0), 0);
    double settle = springSettleTime(0.45, 0.72);
    EXPECT_NEAR(springProgress(0.45, 0.72, settle), 1, 0.001);
    EXPECT_GT(settle, 0.3);
    EXPECT_LT(settle, 1.5);
    double overshoot = 0;
    for (double t = 0; t < settle; t += 0.005)
        overshoot = std::max(overshoot, springProgress(0.45, 0.72, t));
    EXPECT_GT(overshoot, 1.0);  // under-damped: it overshoots a little
    EXPECT_LT(overshoot, 1.05);
}

TEST(Themes, LightAndDarkAsTabled) {
    auto dark = PopoverTheme::forScheme(true);
    auto light = PopoverTheme::forScheme(false);
    EXPECT_NEAR(dark.segmentOn.alphaF(), 0.22, 0.001);  // translucent white
    EXPECT_EQ(light.segmentOn, QColor(Qt::white));      // opaque white
    EXPECT_EQ(light.text, QColor::fromRgbF(0.11f, 0.11f, 0.12f));
    EXPECT_EQ(dark.safety, kNotchSafety);
    EXPECT_EQ(TempPalette::notch().inset, 10);
}

}  // namespace
}  // namespace ventoria::ui

namespace ventoria::ui {
namespace {

// Gentle reaches full speed at 98 °C, beside the safety line's 100 °C: its label gives way
// rather than printing "98100°"; away from the line, and on the case's axis, both stay.
TEST(CurveChartLabels, AFullSpeedLabelGivesWayToTheSafetyLabel) {
    auto gentle = smart::chipCurve(smart::Aggressiveness::gentle);
    ASSERT_GT(gentle.full, 96);
    EXPECT_EQ(curveLabels(gentle, true), std::vector<double>{gentle.start});
    auto normal = smart::chipCurve(smart::Aggressiveness::normal);
    EXPECT_EQ(curveLabels(normal, true), (std::vector<double>{normal.start, normal.full}));
    auto chassis = smart::chassisCurve(smart::Aggressiveness::gentle);
    EXPECT_EQ(curveLabels(chassis, false), (std::vector<double>{chassis.start, chassis.full}));
}

// Out and back, each half eased: still at both ends of the swing, quickest in the middle.
TEST(Pulse, EachHalfEasesInAndOut) {
    EXPECT_DOUBLE_EQ(pulseDim(0.0), 0.0);
    EXPECT_DOUBLE_EQ(pulseDim(0.5), 1.0);
    EXPECT_NEAR(pulseDim(1.0), 0.0, 1e-12);
    EXPECT_NEAR(pulseDim(0.125), pulseDim(0.875), 1e-12);  // the way back mirrors the way out
    EXPECT_LT(pulseDim(0.02) - pulseDim(0.0), pulseDim(0.26) - pulseDim(0.24));
    EXPECT_LT(pulseDim(0.5) - pulseDim(0.48), pulseDim(0.26) - pulseDim(0.24));
}

}  // namespace
}  // namespace ventoria::ui
