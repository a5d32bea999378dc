#include "temp_grid.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

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
    connect(&model_, &app::FanModel::smartStatusChanged, this, &TempGrid::follow);
    connect(&model_, &app::FanModel::presetChanged, this, &TempGrid::follow);
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

void TempGrid::follow() {
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
        painter.drawText(content, Qt::AlignRight | Qt::AlignVCenter,
                         app::temperatureText(temperature));
    }
}

Segmented::Segmented(QStringList titles, bool fill, QWidget* parent)
    : QWidget(parent),
      titles_(std::move(titles)),
      fill_(fill),
      theme_(PopoverTheme::forScheme(false)) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(fill ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Segmented::setSelected(int index) {
    if (index == selected_) return;
    selected_ = index;
    update();
}

void Segmented::setTheme(const PopoverTheme& theme) {
    theme_ = theme;
    update();
}

QFont Segmented::font() const {
    return uiFont(fill_ ? 12 : 11, QFont::Medium);
}

QSize Segmented::sizeHint() const {
    QFontMetricsF metrics(font());
    qreal padX = fill_ ? 9 : 6;
    qreal padY = fill_ ? 4 : 2;
    qreal width = 4 + 2 * static_cast<qreal>(titles_.size() - 1);
    for (const auto& title : titles_) width += metrics.horizontalAdvance(title) + 2 * padX;
    return QSize(static_cast<int>(std::ceil(width)),
                 static_cast<int>(std::ceil(metrics.height() + 2 * padY + 4)));
}

QRectF Segmented::segment(int index) const {
    QRectF inner = QRectF(rect()).adjusted(2, 2, -2, -2);
    int count = static_cast<int>(titles_.size());
    if (fill_) {
        qreal share = (inner.width() - 2 * (count - 1)) / count;
        return QRectF(inner.left() + index * (share + 2), inner.top(), share, inner.height());
    }
    QFontMetricsF metrics(font());
    qreal x = inner.left();
    for (int i = 0; i < index; ++i) x += metrics.horizontalAdvance(titles_[i]) + 12 + 2;
    return QRectF(x, inner.top(), metrics.horizontalAdvance(titles_[index]) + 12, inner.height());
}

int Segmented::optionAt(QPoint point) const {
    for (int i = 0; i < titles_.size(); ++i) {
        if (segment(i).contains(point)) return i;
    }
    return -1;
}

void Segmented::mousePressEvent(QMouseEvent* event) {
    int index = optionAt(event->position().toPoint());
    if (index < 0) return;
    setSelected(index);
    emit chosen(index);
}

void Segmented::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme_.tile);
    qreal radius = fill_ ? 7 : 6;
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
    painter.setFont(font());
    for (int i = 0; i < titles_.size(); ++i) {
        QRectF area = segment(i);
        if (i == selected_) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.12f));
            painter.drawRoundedRect(area.translated(0, 1), radius - 2, radius - 2);
            painter.setBrush(theme_.segmentOn);
            painter.drawRoundedRect(area, radius - 2, radius - 2);
        }
        painter.setPen(theme_.text);
        painter.drawText(area, Qt::AlignCenter, titles_[i]);
    }
}

}  // namespace ventoria::ui
