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
        return {rgb(0.96f, 0.96f, 0.97f),    rgb(0.921569f, 0.921569f, 0.960784f, 0.62f),
                rgb(1, 1, 1, 0.08f),         rgb(1, 1, 1, 0.14f),
                rgb(1, 1, 1, 0.14f),         rgb(1, 1, 1, 0.22f),
                rgb(1, 0.701961f, 0.25098f), rgb(1, 0.411765f, 0.380392f)};
    }
    return {rgb(0.11f, 0.11f, 0.12f),     rgb(0.235294f, 0.235294f, 0.262745f, 0.66f),
            rgb(0, 0, 0, 0.05f),          rgb(0, 0, 0, 0.1f),
            rgb(0, 0, 0, 0.1f),           rgb(1, 1, 1),
            rgb(0.698039f, 0.313725f, 0), rgb(0.843137f, 0, 0.0823529f)};
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
    return dark ? rgb(1.0f, 105 / 255.0f, 97 / 255.0f) : rgb(215 / 255.0f, 0, 21 / 255.0f);
}

QColor accentColor() {
    return QGuiApplication::palette().color(QPalette::Highlight);
}

}  // namespace ventoria::ui
