#include "theme.h"

#include <QGuiApplication>

namespace ventoria::ui {
namespace {

QColor rgb(float r, float g, float b, float opacity = 1.0f) {
    return QColor::fromRgbF(r, g, b, opacity);
}

}  // namespace

PopoverTheme PopoverTheme::forScheme(bool dark) {
    if (dark) {
        return {.text = rgb(0.96f, 0.96f, 0.97f),
                .sub = rgb(0.921569f, 0.921569f, 0.960784f, 0.62f),
                .tile = rgb(1, 1, 1, 0.08f),
                .track = rgb(1, 1, 1, 0.14f),
                .hover = rgb(1, 1, 1, 0.14f),
                .segmentOn = rgb(1, 1, 1, 0.22f),
                .boost = kDarkBoost,
                .safety = kDarkSafety};
    }
    return {.text = rgb(0.11f, 0.11f, 0.12f),
            .sub = rgb(0.235294f, 0.235294f, 0.262745f, 0.66f),
            .tile = rgb(0, 0, 0, 0.05f),
            .track = rgb(0, 0, 0, 0.1f),
            .hover = rgb(0, 0, 0, 0.1f),
            .segmentOn = rgb(1, 1, 1),
            .boost = kLightBoost,
            .safety = kLightSafety};
}

QColor panelFill(bool dark, int alpha) {
    return dark ? QColor(38, 38, 40, alpha) : QColor(246, 246, 247, alpha);
}

QColor panelBorder(bool dark) {
    return dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 40);
}

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

bool desktopIsDark() {
    return isDark(QGuiApplication::palette());
}

const TempPalette& TempPalette::notch() {
    static const TempPalette palette{
        Qt::white, rgb(1, 1, 1, 0.6f), rgb(1, 1, 1, 0.08f), kNotchBoost, kNotchSafety, 10, 8};
    return palette;
}

QColor blend(const QColor& from, const QColor& to, double t) {
    auto mix = [t](float a, float b) { return static_cast<float>(a + (b - a) * t); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
}

QColor iconSafetyColor(bool dark) {
    return dark ? kDarkSafety : kLightSafety;
}

QColor accentColor() {
    return QGuiApplication::palette().color(QPalette::Highlight);
}

}  // namespace ventoria::ui
