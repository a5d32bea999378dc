#include "notch_view.h"

#include <QContextMenuEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "controls/decorations.h"
#include "controls/notch_link.h"
#include "controls/tabular_text.h"
#include "fonts.h"
#include "glyphs.h"
#include "notch_geometry.h"
#include "notch_preset_button.h"
#include "theme.h"

namespace ventoria::ui {
namespace {

constexpr qreal kHeaderPadding = 11;
constexpr qreal kBodyWidth = 380;

QPalette notchMenuPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(28, 28, 30));
    palette.setColor(QPalette::Base, QColor(28, 28, 30));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, accentColor());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, notchWhite(0.4f));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, notchWhite(0.4f));
    return palette;
}

}  // namespace

NotchView::NotchView(app::FanModel& model, NotchState& state, std::function<void()> onQuit,
                     QWidget* parent)
    : QWidget(parent),
      model_(model),
      state_(state),
      onQuit_(std::move(onQuit)),
      openness_(state.open() ? 1 : 0) {
    setAttribute(Qt::WA_TranslucentBackground);
    glyph_ = new FanGlyph(16, true, this);
    pulse_ = new PulseDot(this);

    makeBody();
    followState();
    connect(&chipChange_, &Motion::changed, this, [this](double t) {
        chipColor_ = blend(chipFrom_, chipTo_, t);
        update();
    });
    for (auto signal :
         {&app::FanModel::presetChanged, &app::FanModel::fansChanged, &app::FanModel::tempsChanged,
          &app::FanModel::smartStatusChanged, &app::FanModel::errorMessageChanged,
          &app::FanModel::customChanged, &app::FanModel::settingsChanged}) {
        connect(&model_, signal, this, &NotchView::render);
    }
    chipColor_ = chipTo_ = notchWhite(0.45f);
    render();
    layoutChildren();
}

void NotchView::makeBody() {
    body_ = new QWidget(this);
    body_->setObjectName(QStringLiteral("body"));
    body_->setFixedWidth(static_cast<int>(kBodyWidth));
    auto* column = new QVBoxLayout(body_);
    column->setContentsMargins(20, 10, 20, 16);
    column->setSpacing(12);
    column->addLayout(makeHeading());
    levelBar_ = new LevelBar(body_);
    column->addWidget(levelBar_);
    column->addWidget(new TempGrid(model_, TempPalette::notch(), body_));
    presetRow_ = new QWidget(body_);
    auto* presets = new QHBoxLayout(presetRow_);
    presets->setContentsMargins(0, 0, 0, 0);
    presets->setSpacing(6);
    for (auto preset : app::kAllPresets)
        presets->addWidget(new NotchPresetButton(model_, preset, presetRow_), 1);
    column->addWidget(presetRow_);
    column->addLayout(makeLinks());
    body_->adjustSize();
    body_->setGraphicsEffect(new QGraphicsOpacityEffect(body_));
}

QLayout* NotchView::makeHeading() {
    auto* heading = new QHBoxLayout;
    heading->setSpacing(10);
    presetName_ = new QLabel(body_);
    QFont nameFont = uiFont(20, QFont::DemiBold);
    nameFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.2);
    presetName_->setFont(nameFont);
    presetDetail_ = new ElidingLabel(body_);
    presetDetail_->setFont(uiFont(12));
    heading->addWidget(presetName_, 0, Qt::AlignBaseline);
    heading->addWidget(presetDetail_, 1, Qt::AlignBaseline);
    return heading;
}

QLayout* NotchView::makeLinks() {
    auto* links = new QHBoxLayout;
    links->setSpacing(20);
    links->addStretch();
    auto* edit = new NotchLink(QStringLiteral("Edit Presets…"), body_);
    connect(edit, &QAbstractButton::clicked, &model_, &app::FanModel::editPresets);
    auto* move = new NotchLink(QStringLiteral("Move to menu bar"), body_);
    connect(move, &QAbstractButton::clicked, &model_,
            [this] { model_.placement().setDisplayMode(app::DisplayMode::menu); });
    links->addWidget(edit);
    links->addWidget(move);
    links->addStretch();
    return links;
}

// The panel opens and closes on the controller's spring, and follows the housing's size.
void NotchView::followState() {
    connect(&openness_, &Motion::changed, this, &NotchView::layoutChildren);
    connect(&state_, &NotchState::openChanged, this, [this] {
        double target = state_.open() ? 1 : 0;
        if (auto spring = state_.spring()) {
            openness_.spring(target, spring->response, spring->dampingFraction);
        } else {
            openness_.jump(target);
        }
    });
    connect(&state_, &NotchState::notchSizeChanged, this, &NotchView::layoutChildren);
}

QRectF NotchView::contentRect() const {
    auto notch = state_.notchSize();
    auto closed = closedContentSize(notch);
    auto open = openContentSize(notch);
    double t = openness_.value();
    QSizeF size(std::lerp(closed.width(), open.width(), t),
                std::lerp(closed.height(), open.height(), t));
    return {(width() - size.width()) / 2, 0, size.width(), size.height()};
}

QRectF NotchView::headerRect() const {
    auto content = contentRect();
    return {content.left(), 0, content.width(), state_.notchSize().height()};
}

QString NotchView::chipText() const {
    return app::shortTemperatureText(model_.temps().chip, model_.unit());
}

void NotchView::render() {
    auto phase = model_.smartPhase();
    bool safety = phase == smart::Phase::safety;
    glyph_->setBlades(litBlades(model_.level()));
    glyph_->setColor(safety ? kNotchSafety : QColor(Qt::white));
    pulse_->setVisible(safety);
    QColor chip = safety                         ? kNotchSafety
                  : phase == smart::Phase::boost ? kNotchBoost
                                                 : notchWhite(0.45f);
    if (chip != chipTo_) {
        chipFrom_ = chipColor_;
        chipTo_ = chip;
        chipChange_.jump(0);
        animateIfShown(chipChange_, *this, 1, std::chrono::milliseconds(400), easeOut());
    }

    presetName_->setText(QString::fromLatin1(app::displayName(model_.preset()).data()));
    presetDetail_->setFullText(model_.subtitleParts(model_.preset()).detail,
                               model_.errorMessage().value_or(QString()));
    tint(presetDetail_, safety ? kNotchSafety : notchWhite(0.6f));
    tint(presetName_, Qt::white);
    levelBar_->setLevel(model_.level());
    levelBar_->setColors(safety ? kNotchSafety : QColor(Qt::white), notchWhite(0.14f));
    presetRow_->setEnabled(!model_.fans().empty());
    layoutChildren();
}

void NotchView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutChildren();
}

void NotchView::layoutChildren() {
    auto header = headerRect();
    glyph_->move(static_cast<int>(header.left() + kHeaderPadding + 3),
                 static_cast<int>(header.center().y() - 8));
    QFontMetricsF metrics(uiFont(12, QFont::DemiBold));
    qreal textWidth = metrics.horizontalAdvance(chipText());
    pulse_->move(static_cast<int>(header.right() - kHeaderPadding - textWidth - 5 - 6),
                 static_cast<int>(header.center().y() - 3));

    auto content = contentRect();
    double t = openness_.value();
    body_->setVisible(t > 0.001);
    if (!body_->isHidden()) {  // isVisible() is false until the panel itself is shown
        body_->move(static_cast<int>(content.center().x() - kBodyWidth / 2),
                    static_cast<int>(header.bottom()));
        QRectF visible =
            content.translated(-body_->x(), -body_->y()).intersected(QRectF(body_->rect()));
        body_->setMask(visible.toAlignedRect());
        auto* effect = static_cast<QGraphicsOpacityEffect*>(body_->graphicsEffect());
        effect->setOpacity(std::clamp(t, 0.0, 1.0));
        effect->setEnabled(t < 0.999);  // no offscreen pass once fully open
    }
    update();
}

void NotchView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    auto content = contentRect();
    double t = std::clamp(openness_.value(), 0.0, 1.0);
    qreal radius = std::lerp(12, 26, t);
    QPainterPath shape;
    shape.moveTo(content.topLeft());
    shape.lineTo(content.topRight());
    shape.arcTo(
        QRectF(content.right() - 2 * radius, content.bottom() - 2 * radius, 2 * radius, 2 * radius),
        0, -90);
    shape.arcTo(QRectF(content.left(), content.bottom() - 2 * radius, 2 * radius, 2 * radius), 270,
                -90);
    shape.closeSubpath();

    if (t > 0) painter.drawPixmap(0, 0, shadow(shape, t));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPath(shape);

    auto header = headerRect();
    painter.setFont(uiFont(12, QFont::DemiBold));
    painter.setPen(chipColor_);
    drawTabular(painter, header.adjusted(kHeaderPadding, 0, -kHeaderPadding, 0),
                Qt::AlignRight | Qt::AlignVCenter, chipText());
}

// The shadow, black at up to 0.5, 20 points soft and 10 below: layered outlines. Their unions
// cost milliseconds a frame, so they are drawn once for each shape and openness, and every
// other repaint (a reading, the pulse) reuses the picture.
const QPixmap& NotchView::shadow(const QPainterPath& shape, double t) {
    auto ratio = devicePixelRatioF();
    if (!shadow_.isNull() && shadowShape_ == shape && shadowOpenness_ == t &&
        shadow_.size() == size() * ratio && shadow_.devicePixelRatio() == ratio) {
        return shadow_;
    }
    shadow_ = QPixmap(size() * ratio);
    shadow_.setDevicePixelRatio(ratio);
    shadow_.fill(Qt::transparent);
    QPainter painter(&shadow_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QPainterPath halo = shape.translated(0, 10);
    for (int ring = 20; ring > 0; ring -= 2) {
        painter.setBrush(QColor::fromRgbF(0, 0, 0, static_cast<float>(0.5 * t / 12)));
        QPainterPathStroker stroker;
        stroker.setWidth(ring * 2);
        painter.drawPath(stroker.createStroke(halo).united(halo));
    }
    shadowShape_ = shape;
    shadowOpenness_ = t;
    return shadow_;
}

void NotchView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    QPointF at = event->position();
    if (headerRect().contains(at)) {
        auto& placement = model_.placement();
        placement.setNotchOpen(!placement.notchOpen());
    } else if (state_.open() && !contentRect().contains(at)) {
        model_.placement().setNotchOpen(false);
    }
}

// The fans' speeds as a tooltip of the header bar only: the rest of the view has controls of
// its own, whose own hints it would cover.
bool NotchView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    auto header = headerRect().toRect();
    if (header.contains(help->pos())) {
        // Tooltips share one palette; in the notch it is the notch's dark one.
        QToolTip::setPalette(notchMenuPalette());
        QToolTip::showText(help->globalPos(), model_.fanSummary(), this, header);
    } else {
        QToolTip::hideText();
    }
    return true;
}

void NotchView::contextMenuEvent(QContextMenuEvent* event) {
    if (!contentRect().contains(event->pos())) return;
    QMenu menu(this);
    menu.setPalette(notchMenuPalette());  // the notch is dark whatever the desktop's scheme
    menu.addAction(QStringLiteral("Edit Presets…"), &model_, &app::FanModel::editPresets);
    menu.addAction(QStringLiteral("Settings…"), &model_, &app::FanModel::openSettings);
    menu.addAction(QStringLiteral("Details…"), &model_, &app::FanModel::openDetails);
    menu.addAction(QStringLiteral("Move to Menu Bar"), &model_,
                   [this] { model_.placement().setDisplayMode(app::DisplayMode::menu); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Quit Ventoria"), this, [this] { onQuit_(); });
    menu.exec(event->globalPos());
}

}  // namespace ventoria::ui
