#include "temp_grid.h"

#include <QFontMetricsF>
#include <QPainter>

#include "controls/tabular_text.h"
#include "fonts.h"

namespace ventoria::ui {
TempGrid::TempGrid(app::FanModel& model, const TempPalette& palette, QWidget* parent)
    : QWidget(parent), model_(model), palette_(palette) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (int i = 0; i < 2; ++i) {
        auto& tile = tiles_[i];
        tile.chip = i == 0;
        tile.tone = model_.tone(tile.chip);
        tile.from = tile.to = toneColor(tile.tone);
        connect(&tile.change, &Motion::changed, this, qOverload<>(&QWidget::update));
    }
    connect(&model_, &app::FanModel::tempsChanged, this, qOverload<>(&QWidget::update));
    connect(&model_, &app::FanModel::settingsChanged, this, qOverload<>(&QWidget::update));
    connect(&model_, &app::FanModel::smartStatusChanged, this, &TempGrid::animateToModel);
    connect(&model_, &app::FanModel::presetChanged, this, &TempGrid::animateToModel);
}

QColor TempGrid::toneColor(app::TempTone tone) const {
    switch (tone) {
        case app::TempTone::boost:
            return palette_.boost;
        case app::TempTone::safety:
            return palette_.safety;
        case app::TempTone::normal:
            return palette_.text;
    }
    return palette_.text;
}

QColor TempGrid::shown(const Tile& tile) const {
    return blend(tile.from, tile.to, tile.change.value());
}

void TempGrid::animateToModel() {
    for (auto& tile : tiles_) {
        auto tone = model_.tone(tile.chip);
        if (tone == tile.tone) continue;
        tile.from = shown(tile);
        tile.tone = tone;
        tile.to = toneColor(tone);
        tile.change.jump(0);
        animateIfShown(tile.change, *this, 1, std::chrono::milliseconds(400), easeOut());
    }
}

void TempGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    constexpr qreal kSpacing = 6;
    qreal tileWidth = (width() - kSpacing) / 2;
    for (int i = 0; i < 2; ++i) {
        const auto& tile = tiles_[i];
        QRectF area(i * (tileWidth + kSpacing), 0, tileWidth, height());
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette_.fill);
        painter.drawRoundedRect(area, palette_.radius, palette_.radius);

        QRectF content = area.adjusted(palette_.inset, 6, -palette_.inset, -6);
        QColor value = shown(tile);
        if (tile.tone != app::TempTone::normal) {
            painter.setBrush(value);
            painter.drawEllipse(QRectF(content.left(), content.center().y() - 2.5, 5, 5));
        }
        painter.setFont(uiFont(11));
        painter.setPen(palette_.label);
        QString caption = tile.chip ? QStringLiteral("Chip") : QStringLiteral("Case");
        // The dot's place is kept when it is clear, so the caption never shifts with the tone.
        QRectF captionRect = content.adjusted(9, 0, 0, 0);
        painter.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter, caption);
        painter.setFont(uiFont(12, QFont::DemiBold));
        painter.setPen(value);
        auto temperature = tile.chip ? model_.temps().chip : model_.temps().chassis;
        drawTabular(painter, content, Qt::AlignRight | Qt::AlignVCenter,
                    app::temperatureText(temperature, model_.unit()));
    }
}

}  // namespace ventoria::ui
