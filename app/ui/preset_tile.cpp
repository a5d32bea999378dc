#include "preset_tile.h"

#include <QEvent>
#include <QPainter>

#include "decorations.h"
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
    connect(&model_, &app::FanModel::presetChanged, this, &PresetTile::follow);
    connect(&model_, &app::FanModel::customChanged, this, qOverload<>(&QWidget::update));
    connect(&selected_, &Motion::changed, this, qOverload<>(&QWidget::update));
}

void PresetTile::follow() {
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

MenuRow::MenuRow(const QString& title, const QString& hint, QWidget* parent)
    : QAbstractButton(parent), hint_(hint), theme_(PopoverTheme::forScheme(false)) {
    setText(title);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MenuRow::setTheme(const PopoverTheme& theme) {
    theme_ = theme;
    update();
}

QSize MenuRow::sizeHint() const {
    return {200, 28};
}

bool MenuRow::event(QEvent* event) {
    followHover(*this, *event, hovered_);
    return QAbstractButton::event(event);
}

void MenuRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (hovered_ && isEnabled()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme_.hover);
        painter.drawRoundedRect(QRectF(rect()), 6, 6);
    }
    QRectF content = QRectF(rect()).adjusted(6, 6, -6, -6);
    painter.setFont(uiFont(13));
    painter.setPen(theme_.text);
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (!hint_.isEmpty()) {
        painter.setFont(uiFont(12));
        painter.setPen(theme_.sub);
        painter.drawText(content, Qt::AlignRight | Qt::AlignVCenter, hint_);
    }
}

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent), knob_(0) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] { emit flipped(!on_); });
    connect(&knob_, &Motion::changed, this, qOverload<>(&QWidget::update));
}

void ToggleSwitch::setOn(bool on) {
    if (on == on_) return;
    on_ = on;
    animateIfShown(knob_, *this, on ? 1 : 0, std::chrono::milliseconds(150), easeOut());
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor off = palette().color(QPalette::Mid);
    painter.setBrush(blend(off, accentColor(), knob_.value()));
    QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    qreal diameter = track.height() - 3;
    qreal x = track.left() + 1.5 + (track.width() - 3 - diameter) * knob_.value();
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 1.5, diameter, diameter));
}

}  // namespace ventoria::ui
