#include "notch_preset_button.h"

#include <QPainter>

#include "fonts.h"
#include "theme.h"

namespace ventoria::ui {

NotchPresetButton::NotchPresetButton(app::FanModel& model, app::Preset preset, QWidget* parent)
    : QAbstractButton(parent),
      model_(model),
      preset_(preset),
      selected_(model.preset() == preset ? 1 : 0) {
    setAccessibleName(QString::fromLatin1(app::displayName(preset).data()));
    setMinimumHeight(34);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] { model_.select(preset_); });
    connect(&model_, &app::FanModel::presetChanged, this, [this] {
        animateIfShown(selected_, *this, model_.preset() == preset_ ? 1 : 0,
                       std::chrono::milliseconds(200), easeOut());
    });
    connect(&selected_, &Motion::changed, this, qOverload<>(&QWidget::update));
}

void NotchPresetButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.4);
    double t = selected_.value();
    painter.setPen(Qt::NoPen);
    painter.setBrush(blend(notchWhite(0.12f), Qt::white, t));
    painter.drawRoundedRect(QRectF(rect()), 9, 9);
    painter.setFont(uiFont(13, QFont::DemiBold));
    painter.setPen(blend(Qt::white, Qt::black, t));
    painter.drawText(rect(), Qt::AlignCenter, accessibleName());
}

}  // namespace ventoria::ui
