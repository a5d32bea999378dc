#include "controls/fan_glyph.h"

#include <QPainter>

#include "glyphs.h"

namespace ventoria::ui {
namespace {

constexpr auto kFrameInterval = std::chrono::milliseconds(16);
constexpr auto kBladeChange = std::chrono::milliseconds(300);

}  // namespace

FanGlyph::FanGlyph(int size, bool hub, QWidget* parent)
    : QWidget(parent), hub_(hub), color_(Qt::black), blades_(3) {
    setFixedSize(size, size);
    setAttribute(Qt::WA_TranslucentBackground);
    frame_.setInterval(kFrameInterval);
    frame_.setTimerType(Qt::PreciseTimer);
    connect(&frame_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&blades_, &Motion::changed, this, qOverload<>(&QWidget::update));
}

void FanGlyph::setBlades(int blades) {
    if (blades_.running() || blades_.value() != blades)
        animateIfShown(blades_, *this, blades, kBladeChange, easeInOut());
}

void FanGlyph::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void FanGlyph::setSpin(double turnsPerSecond) {
    if (turnsPerSecond == spin_) return;
    angleAtSpinChange_ = angle();
    sinceSpinChange_.start();
    spin_ = turnsPerSecond;
    updateFrames();
    update();
}

void FanGlyph::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateFrames();
}

void FanGlyph::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateFrames();
}

void FanGlyph::updateFrames() {
    bool animate = spin_ > 0 && isVisible();
    if (animate && !frame_.isActive()) frame_.start();
    if (!animate) frame_.stop();
}

double FanGlyph::angle() const {
    if (!sinceSpinChange_.isValid()) return 0;
    double seconds = static_cast<double>(sinceSpinChange_.elapsed()) / 1000.0;
    return std::fmod(angleAtSpinChange_ + std::max(spin_, 0.0) * seconds * 360.0, 360.0);
}

void FanGlyph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFanGlyph(painter, rect(), blades_.value(), hub_, color_, angle());
}

}  // namespace ventoria::ui
