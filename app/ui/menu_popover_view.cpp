#include "menu_popover_view.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPainter>
#include <QVBoxLayout>

#include "controls/decorations.h"
#include "controls/number_label.h"
#include "fonts.h"

namespace ventoria::ui {
namespace {

constexpr int kWidth = 300;

QLabel* label(const QString& text, const QFont& font, QWidget* parent) {
    auto* made = new QLabel(text, parent);
    made->setFont(font);
    return made;
}

}  // namespace

QString tileName(app::Preset preset) {
    return QStringLiteral("tile-%1").arg(QString::fromLatin1(app::rawValue(preset).data()));
}

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
    column->addWidget(makeHeader());
    levelBar_ = new LevelBar(this);
    column->addWidget(levelBar_);
    column->addWidget(makeTiles());
    divider_ = new Hairline(this);
    column->addWidget(divider_);
    column->addLayout(makeNotchRow());
    column->addWidget(makeMenuRows(std::move(onEditPresets), std::move(onQuit)));

    for (auto signal :
         {&app::FanModel::presetChanged, &app::FanModel::fansChanged, &app::FanModel::tempsChanged,
          &app::FanModel::smartStatusChanged, &app::FanModel::errorMessageChanged,
          &app::FanModel::customChanged, &app::FanModel::settingsChanged}) {
        connect(&model_, signal, this, &MenuPopoverView::render);
    }
    connect(&model_.placement(), &app::DisplayPlacement::changed, this, &MenuPopoverView::render);
    applyTheme();
    render();
}

QWidget* MenuPopoverView::makeHeader() {
    header_ = new QWidget(this);
    auto* row = new QHBoxLayout(header_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    glyphTile_ = new RoundedTile(QSize(30, 30), 8, header_);
    glyph_ = new FanGlyph(18, false, glyphTile_);
    glyph_->setObjectName(QStringLiteral("glyph"));
    glyph_->move(6, 6);
    glyph_->setBlades(3);
    row->addWidget(glyphTile_);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    title_ = label(QStringLiteral("Fans"), uiFont(13, QFont::DemiBold), header_);
    subtitle_ = new ElidingLabel(header_);
    subtitle_->setObjectName(QStringLiteral("subtitle"));
    subtitle_->setFont(uiFont(11));
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    row->addLayout(titles, 1);
    levelText_ = new NumberLabel(header_);
    levelText_->setFont(uiFont(11, QFont::DemiBold));
    row->addWidget(levelText_);
    return header_;
}

QWidget* MenuPopoverView::makeTiles() {
    tiles_ = new QWidget(this);
    auto* row = new QHBoxLayout(tiles_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    for (auto preset : app::kAllPresets) {
        auto* tile = new PresetTile(model_, preset, tiles_);
        tile->setObjectName(tileName(preset));
        row->addWidget(tile, 1);
    }
    return tiles_;
}

QLayout* MenuPopoverView::makeNotchRow() {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 0, 6, 0);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    notchLabel_ = label(QStringLiteral("Show in notch"), uiFont(13), this);
    notchNote_ = label(QStringLiteral("No notch display connected"), uiFont(11), this);
    texts->addWidget(notchLabel_);
    texts->addWidget(notchNote_);
    row->addLayout(texts, 1);
    notchSwitch_ = new ToggleSwitch(this);
    notchSwitch_->setObjectName(QStringLiteral("notchSwitch"));
    notchSwitch_->setAccessibleName(QStringLiteral("Show in notch"));
    row->addWidget(notchSwitch_, 0, Qt::AlignVCenter);
    connect(notchSwitch_, &ToggleSwitch::flipped, this, [this](bool wanted) {
        model_.placement().setDisplayMode(wanted ? app::DisplayMode::notch
                                                 : app::DisplayMode::menu);
        notchSwitch_->setOn(model_.placement().usesNotch());  // a refused flip springs back
    });
    return row;
}

QWidget* MenuPopoverView::makeMenuRows(std::function<void()> onEditPresets,
                                       std::function<void()> onQuit) {
    auto* rows = new QWidget(this);
    auto* column = new QVBoxLayout(rows);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    editRow_ = new MenuRow(QStringLiteral("Edit Presets…"), {}, rows);
    editRow_->setObjectName(QStringLiteral("editRow"));
    connect(editRow_, &QAbstractButton::clicked, this, std::move(onEditPresets));
    column->addWidget(editRow_);
    settingsRow_ = new MenuRow(QStringLiteral("Settings…"), {}, rows);
    settingsRow_->setObjectName(QStringLiteral("settingsRow"));
    connect(settingsRow_, &QAbstractButton::clicked, this, [this] {
        window()->close();  // as for the editor: the window opens with the popover out of its way
        model_.openSettings();
    });
    column->addWidget(settingsRow_);
    // ⌘Q on a Mac, Ctrl+Q elsewhere: Qt maps Ctrl to Command there.
    QKeySequence quit(Qt::CTRL | Qt::Key_Q);
    quitRow_ =
        new MenuRow(QStringLiteral("Quit Ventoria"), quit.toString(QKeySequence::NativeText), rows);
    quitRow_->setObjectName(QStringLiteral("quitRow"));
    quitRow_->setShortcut(quit);
    connect(quitRow_, &QAbstractButton::clicked, this, std::move(onQuit));
    column->addWidget(quitRow_);
    return rows;
}

void MenuPopoverView::setDark(bool dark) {
    followDesktop_ = false;
    if (dark == dark_) return;
    dark_ = dark;
    applyTheme();
    render();
}

void MenuPopoverView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange && followDesktop_ &&
        desktopIsDark() != dark_) {
        dark_ = !dark_;
        applyTheme();
        render();
    }
}

void MenuPopoverView::applyTheme() {
    theme_ = PopoverTheme::forScheme(dark_);
    glyphTile_->setColor(theme_.tile);
    glyph_->setColor(theme_.text);
    tint(title_, theme_.text);
    tint(levelText_, theme_.sub);
    tint(notchLabel_, theme_.text);
    tint(notchNote_, theme_.sub);
    divider_->setColor(theme_.track);
    for (auto* child : tiles_->findChildren<PresetTile*>()) child->setTheme(theme_);
    editRow_->setTheme(theme_);
    settingsRow_->setTheme(theme_);
    quitRow_->setTheme(theme_);
}

void MenuPopoverView::render() {
    bool safety = model_.smartPhase() == smart::Phase::safety;
    subtitle_->setFullText(model_.subtitle(model_.preset()),
                           model_.errorMessage().value_or(QString()));
    tint(subtitle_, safety ? theme_.safety : theme_.sub);
    levelText_->setText(model_.levelText());
    header_->setToolTip(model_.fanSummary());
    glyph_->setSpin(model_.level() * 3);
    levelBar_->setLevel(model_.level());
    levelBar_->setColors(safety ? theme_.safety : accentColor(), theme_.track);
    tiles_->setEnabled(!model_.fans().empty());
    notchNote_->setVisible(!model_.placement().notchAvailable());
    notchSwitch_->setOn(model_.placement().usesNotch());
}

}  // namespace ventoria::ui
