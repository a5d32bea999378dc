#include "preset_tile.h"

#include <QPainter>

#include "fonts.h"
#include "glyphs.h"

namespace ventoria::ui {
PresetTile::PresetTile(app::FanModel& model, app::Preset preset, QWidget* parent)
    : QAbstractButton(parent),
      model_(model),
      preset_(preset),
      theme_(PopoverTheme::forScheme(false)),
      selected_(model.preset() == preset ? 1 : 0) {
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QString::fromLatin1(app::displayName(preset).data()));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] { model_.select(preset_); });
    connect(&model_, &app::FanModel::presetChanged, this, &PresetTile::animateToModel);
    connect(&model_, &app::FanModel::customChanged, this, qOverload<>(&QWidget::update));
    connect(&selected_, &Motion::changed, this, qOverload<>(&QWidget::update));
}

void PresetTile::animateToModel() {
    double target = model_.preset() == preset_ ? 1 : 0;
    // Against where the tile is heading, not where it is: a preset that changes twice within
    // one frame must not leave the first change's animation running.
    if (target != selected_.target())
        animateIfShown(selected_, *this, target, std::chrono::milliseconds(200), easeOut());
}

void PresetTile::setTheme(const PopoverTheme& theme) {
    theme_ = theme;
    update();
}

QSize PresetTile::sizeHint() const {
    return {60, 10 + 12 + 6 + 14 + 9};
}

void PresetTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.5);
    double t = selected_.value();
    QColor background = blend(theme_.tile, accentColor(), t);
    QColor content = blend(theme_.text, Qt::white, t);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(rect()), 9, 9);

    QRectF top(0, 10, width(), 12);
    switch (preset_) {
        case app::Preset::automatic: {
            QFont badge = uiFont(9, QFont::Bold);
            badge.setLetterSpacing(QFont::AbsoluteSpacing, 0.36);
            painter.setFont(badge);
            painter.setPen(content);
            painter.drawText(top, Qt::AlignCenter, QStringLiteral("AUTO"));
            break;
        }
        case app::Preset::smart:
            paintThermometer(painter, QRectF(top.center().x() - 6, top.top(), 12, 12), content);
            break;
        case app::Preset::balanced:
        case app::Preset::max:
            paintPresetBars(painter, QPointF(top.center().x() - 6.5, top.bottom()),
                            model_.bars(preset_), content);
            break;
    }
    painter.setFont(uiFont(11, QFont::DemiBold));
    painter.setPen(content);
    painter.drawText(QRectF(0, top.bottom() + 6, width(), 14), Qt::AlignCenter,
                     QString::fromLatin1(app::displayName(preset_).data()));
}

}  // namespace ventoria::ui
