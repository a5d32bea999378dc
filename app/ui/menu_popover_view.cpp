#include "menu_popover_view.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPainter>
#include <QVBoxLayout>

#include "decorations.h"
#include "fonts.h"

namespace ventoria::ui {
namespace {

constexpr int kWidth = 300;

QLabel* label(const QString& text, const QFont& font, QWidget* parent) {
    auto* made = new QLabel(text, parent);
    made->setFont(font);
    return made;
}

void setColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

}  // namespace

MenuPopoverView::MenuPopoverView(app::FanModel& model, std::function<void()> onEditPresets,
                                 std::function<void()> onQuit, QWidget* parent)
    : QWidget(parent),
      model_(model),
      dark_(desktopIsDark()),
      theme_(PopoverTheme::forScheme(dark_)) {
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 10);
    column->setSpacing(10);

    header_ = new QWidget(this);
    auto* headerRow = new QHBoxLayout(header_);
    headerRow->setContentsMargins(0, 0, 0, 0);
    headerRow->setSpacing(10);
    auto* glyphTile = new RoundedTile(QSize(30, 30), 8, header_);
    glyphTile_ = glyphTile;
    glyph_ = new FanGlyph(18, false, glyphTile);
    glyph_->move(6, 6);
    glyph_->setBlades(3);
    headerRow->addWidget(glyphTile);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    title_ = label(QStringLiteral("Fans"), uiFont(13, QFont::DemiBold), header_);
    subtitle_ = new ElidingLabel(header_);
    subtitle_->setFont(uiFont(11));
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    headerRow->addLayout(titles, 1);
    levelText_ = label({}, uiFont(11, QFont::DemiBold), header_);
    headerRow->addWidget(levelText_);
    column->addWidget(header_);

    levelBar_ = new LevelBar(this);
    column->addWidget(levelBar_);

    tiles_ = new QWidget(this);
    auto* tileRow = new QHBoxLayout(tiles_);
    tileRow->setContentsMargins(0, 0, 0, 0);
    tileRow->setSpacing(5);
    for (auto preset : app::kAllPresets)
        tileRow->addWidget(new PresetTile(model_, preset, tiles_), 1);
    column->addWidget(tiles_);

    divider_ = new Hairline(this);
    column->addWidget(divider_);

    auto* notchRow = new QHBoxLayout;
    notchRow->setContentsMargins(6, 0, 6, 0);
    auto* notchTexts = new QVBoxLayout;
    notchTexts->setSpacing(1);
    notchLabel_ = label(QStringLiteral("Show in notch"), uiFont(13), this);
    notchNote_ = label(QStringLiteral("No notch display connected"), uiFont(11), this);
    notchTexts->addWidget(notchLabel_);
    notchTexts->addWidget(notchNote_);
    notchRow->addLayout(notchTexts, 1);
    notchSwitch_ = new ToggleSwitch(this);
    notchSwitch_->setAccessibleName(QStringLiteral("Show in notch"));
    notchRow->addWidget(notchSwitch_, 0, Qt::AlignVCenter);
    column->addLayout(notchRow);
    connect(notchSwitch_, &ToggleSwitch::flipped, this, [this](bool wanted) {
        model_.setDisplayMode(wanted ? app::DisplayMode::notch : app::DisplayMode::menu);
        notchSwitch_->setOn(model_.usesNotch());  // a refused flip springs back
    });

    editRow_ = new MenuRow(QStringLiteral("Edit Presets…"), {}, this);
    connect(editRow_, &QAbstractButton::clicked, this, std::move(onEditPresets));
    column->addWidget(editRow_);
    // ⌘Q on a Mac, Ctrl+Q elsewhere: Qt maps Ctrl to Command there.
    QKeySequence quit(Qt::CTRL | Qt::Key_Q);
    quitRow_ =
        new MenuRow(QStringLiteral("Quit Ventoria"), quit.toString(QKeySequence::NativeText), this);
    quitRow_->setShortcut(quit);
    connect(quitRow_, &QAbstractButton::clicked, this, std::move(onQuit));
    column->addWidget(quitRow_);

    for (auto signal :
         {&app::FanModel::presetChanged, &app::FanModel::fansChanged, &app::FanModel::tempsChanged,
          &app::FanModel::smartStatusChanged, &app::FanModel::errorMessageChanged,
          &app::FanModel::customChanged, &app::FanModel::notchAvailableChanged,
          &app::FanModel::preferredModeChanged}) {
        connect(&model_, signal, this, &MenuPopoverView::refresh);
    }
    applyTheme();
    refresh();
}

PresetTile* MenuPopoverView::tile(app::Preset preset) const {
    for (auto* child : tiles_->findChildren<PresetTile*>()) {
        if (child->preset() == preset) return child;
    }
    return nullptr;
}

void MenuPopoverView::setDark(bool dark) {
    followDesktop_ = false;
    if (dark == dark_) return;
    dark_ = dark;
    applyTheme();
    refresh();
}

void MenuPopoverView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange && followDesktop_ &&
        desktopIsDark() != dark_) {
        dark_ = !dark_;
        applyTheme();
        refresh();
    }
}

void MenuPopoverView::applyTheme() {
    theme_ = PopoverTheme::forScheme(dark_);
    glyphTile_->setColor(theme_.tile);
    glyph_->setColor(theme_.text);
    setColor(title_, theme_.text);
    setColor(levelText_, theme_.sub);
    setColor(notchLabel_, theme_.text);
    setColor(notchNote_, theme_.sub);
    divider_->setColor(theme_.track);
    for (auto* child : tiles_->findChildren<PresetTile*>()) child->setTheme(theme_);
    editRow_->setTheme(theme_);
    quitRow_->setTheme(theme_);
}

void MenuPopoverView::refresh() {
    bool safety = model_.smartPhase() == smart::Phase::safety;
    subtitle_->setFullText(model_.subtitle(model_.preset()));
    setColor(subtitle_, safety ? theme_.safety : theme_.sub);
    levelText_->setText(model_.levelText());
    header_->setToolTip(model_.fanSummary());
    glyph_->setSpin(model_.level() * 3);
    levelBar_->setLevel(model_.level());
    levelBar_->setColors(safety ? theme_.safety : accentColor(), theme_.track);
    tiles_->setEnabled(!model_.fans().empty());
    notchNote_->setVisible(!model_.notchAvailable());
    notchSwitch_->setOn(model_.usesNotch());
}

}  // namespace ventoria::ui
