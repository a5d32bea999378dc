#include "preset_editor_view.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <cassert>
#include <cmath>

#include "controls/decorations.h"
#include "controls/hairline.h"
#include "fonts.h"

namespace ventoria::ui {
namespace {

using app::Preset;
using smart::Aggressiveness;

constexpr smart::SmartSettings kDefaultSmart{0, Aggressiveness::normal};
constexpr int kWidth = 400;
constexpr int kMargin = 20;

QSlider* makeSlider(int from, int to, QWidget* parent) {
    auto* made = new QSlider(Qt::Horizontal, parent);
    made->setRange(from, to);
    made->setFixedHeight(18);
    return made;
}

}  // namespace

QString sliderName(app::Preset preset) {
    return QStringLiteral("slider-%1").arg(QString::fromLatin1(app::rawValue(preset).data()));
}

int roundToStep(double value) {
    return static_cast<int>(std::lround(value / 5.0)) * 5;
}

PresetEditorView::PresetEditorView(app::FanModel& model, std::function<void()> onClose,
                                   QWidget* parent)
    : PanelView(parent),
      model_(model),
      onClose_(std::move(onClose)),
      draft_(model.custom()),
      smart_(model.smart()) {
    auto* body = frame(QStringLiteral("Edit Presets"), kWidth, 20, 16);
    body->addLayout(fixedRow(Preset::balanced, balanced_, balancedValue_));
    body->addLayout(fixedRow(Preset::max, max_, maxValue_));
    body->addWidget(divider());
    body->addLayout(smartSection());
    body->addWidget(divider());
    body->addLayout(footer());

    load(draft_, smart_);
    // The chart's "Now" follows the machine while the editor is open, not just the edits.
    connect(&model_, &app::FanModel::tempsChanged, this, &PresetEditorView::showTemperature);
    connect(&model_, &app::FanModel::settingsChanged, this, &PresetEditorView::render);
}

QLayout* PresetEditorView::fixedRow(Preset preset, QSlider*& control, QLabel*& value) {
    auto* block = new QVBoxLayout;
    block->setSpacing(6);
    auto* row = new QHBoxLayout;
    auto* name =
        text(QString::fromLatin1(app::displayName(preset).data()), uiFont(13, QFont::DemiBold));
    tint(name, theme_.text);
    value = number(uiFont(13));
    value->setAlignment(Qt::AlignRight);
    tint(value, theme_.sub);
    row->addWidget(name);
    row->addWidget(value);
    block->addLayout(row);
    control = makeSlider(20, 100, this);
    control->setObjectName(sliderName(preset));
    control->setAccessibleName(name->text());
    connect(control, &QSlider::valueChanged, this, [this, preset](int position) {
        int stored = roundToStep(position);
        (preset == Preset::balanced ? draft_.balanced : draft_.max) = stored;
        render();
    });
    block->addWidget(control);
    return block;
}

QLayout* PresetEditorView::smartSection() {
    auto* section = new QVBoxLayout;
    section->setSpacing(12);
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(7);
    auto* smartTitle = text(QStringLiteral("Smart"), uiFont(13, QFont::DemiBold));
    smartTitle->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    tint(smartTitle, theme_.text);
    chartAxis_ = new Segmented({QStringLiteral("Chip"), QStringLiteral("Case")}, false, this);
    chartAxis_->setObjectName(QStringLiteral("chartAxis"));
    chartAxis_->setTheme(theme_);
    connect(chartAxis_, &Segmented::chosen, this, [this](int index) {
        chartChip_ = index == 0;
        render();
    });
    titleRow->addWidget(smartTitle);
    titleRow->addWidget(chartAxis_);
    titleRow->addStretch();
    section->addLayout(titleRow);
    chart_ = new CurveChart(this);
    chart_->setFixedHeight(chart_->heightForWidth(kWidth - 2 * kMargin));
    chart_->setTheme(theme_);
    section->addWidget(chart_);
    section->addLayout(aggressivenessBlock());
    section->addLayout(minimumBlock());
    safetyNote_ = text(QString(), uiFont(11));
    tint(safetyNote_, theme_.sub);
    section->addWidget(safetyNote_);
    return section;
}

QLayout* PresetEditorView::aggressivenessBlock() {
    auto* block = new QVBoxLayout;
    block->setSpacing(7);
    auto* title = text(QStringLiteral("Aggressiveness"), uiFont(12, QFont::Medium));
    tint(title, theme_.text);
    aggressiveness_ = new Segmented(
        {QStringLiteral("Gentle"), QStringLiteral("Normal"), QStringLiteral("Aggressive")}, true,
        this);
    aggressiveness_->setObjectName(QStringLiteral("aggressiveness"));
    aggressiveness_->setTheme(theme_);
    connect(aggressiveness_, &Segmented::chosen, this, [this](int index) {
        assert(index >= 0 && static_cast<std::size_t>(index) < smart::kAllAggressiveness.size());
        smart_.aggressiveness = smart::kAllAggressiveness[static_cast<std::size_t>(index)];
        render();
    });
    curveNote_ = text({}, uiFont(11));
    curveNote_->setObjectName(QStringLiteral("curveNote"));
    tint(curveNote_, theme_.sub);
    block->addWidget(title);
    block->addWidget(aggressiveness_);
    block->addWidget(curveNote_);
    return block;
}

QLayout* PresetEditorView::minimumBlock() {
    auto* block = new QVBoxLayout;
    block->setSpacing(6);
    auto* row = new QHBoxLayout;
    auto* title = text(QStringLiteral("Minimum speed"), uiFont(12, QFont::Medium));
    tint(title, theme_.text);
    minimumValue_ = number(uiFont(12));
    minimumValue_->setAlignment(Qt::AlignRight);
    tint(minimumValue_, theme_.sub);
    row->addWidget(title);
    row->addWidget(minimumValue_);
    minimumSlider_ = makeSlider(0, 100, this);
    minimumSlider_->setObjectName(QStringLiteral("minimumSlider"));
    minimumSlider_->setAccessibleName(QStringLiteral("Minimum speed"));
    connect(minimumSlider_, &QSlider::valueChanged, this, [this](int position) {
        smart_.minimum = roundToStep(position);
        render();
    });
    minimumNote_ = text({}, uiFont(11));
    minimumNote_->setObjectName(QStringLiteral("minimumNote"));
    tint(minimumNote_, theme_.sub);
    block->addLayout(row);
    block->addWidget(minimumSlider_);
    block->addWidget(minimumNote_);
    return block;
}

QLayout* PresetEditorView::footer() {
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    reset_ = new QPushButton(QStringLiteral("Reset"), this);
    reset_->setObjectName(QStringLiteral("reset"));
    reset_->setFlat(true);
    reset_->setFont(uiFont(13));
    tint(reset_, theme_.sub);
    connect(reset_, &QPushButton::clicked, this,
            [this] { load(app::kDefaultCustom, kDefaultSmart); });
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setFont(uiFont(13));
    connect(cancel, &QPushButton::clicked, this, &PresetEditorView::cancel);
    auto* save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("save"));
    save->setFont(uiFont(13));
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &PresetEditorView::save);
    row->addWidget(reset_);
    row->addStretch();
    row->addWidget(cancel);
    row->addWidget(save);
    return row;
}

void PresetEditorView::showTemperature() {
    auto chip = smart::chipCurve(smart_.aggressiveness);
    auto chassis = smart::chassisCurve(smart_.aggressiveness);
    chart_->setCurve(chartChip_ ? chip : chassis, static_cast<double>(smart_.minimum), chartChip_,
                     chartChip_ ? model_.temps().chip : model_.temps().chassis);
}

void PresetEditorView::load(const app::CustomPercentages& draft,
                            const smart::SmartSettings& settings) {
    draft_ = draft;
    smart_ = settings;
    render();  // which also puts the sliders where the draft says
}

void PresetEditorView::render() {
    balancedValue_->setText(QStringLiteral("%1 %").arg(draft_.balanced));
    maxValue_->setText(QStringLiteral("%1 %").arg(draft_.max));
    for (auto [control, value] :
         {std::pair{balanced_, draft_.balanced}, std::pair{max_, draft_.max}}) {
        QSignalBlocker quiet(control);
        control->setValue(value);  // the knob snaps to the stored step
    }
    {
        QSignalBlocker quiet(minimumSlider_);
        minimumSlider_->setValue(
            static_cast<int>(std::clamp<std::int64_t>(smart_.minimum, 0, 100)));
    }
    chartAxis_->setSelected(chartChip_ ? 0 : 1);
    aggressiveness_->setSelected(static_cast<int>(smart_.aggressiveness));
    auto chip = smart::chipCurve(smart_.aggressiveness);
    auto chassis = smart::chassisCurve(smart_.aggressiveness);
    auto unit = model_.unit();
    curveNote_->setText(app::keepUnitsTogether(
        QStringLiteral("Starts cooling at %1 chip or %2 case. Full speed at %3 or %4.")
            .arg(app::temperatureText(chip.start, unit), app::temperatureText(chassis.start, unit),
                 app::temperatureText(chip.full, unit), app::temperatureText(chassis.full, unit))));
    safetyNote_->setText(app::keepUnitsTogether(
        QStringLiteral("Always jumps to 100 % on thermal pressure or a %1 chip.")
            .arg(app::temperatureText(100, unit))));
    chart_->setUnit(unit);
    showTemperature();
    minimumValue_->setText(QStringLiteral("%1 %").arg(smart_.minimum));
    minimumNote_->setText(app::keepUnitsTogether(
        smart_.minimum > 0
            ? QStringLiteral("Smart keeps the fans at %1 % or more and doesn’t hand back to macOS.")
                  .arg(smart_.minimum)
            : QStringLiteral(
                  "At 0 %, Smart hands the fans back to macOS after 60 s of being cool.")));
    reset_->setEnabled(!(draft_ == app::kDefaultCustom && smart_ == kDefaultSmart));
    // Wrapped notes change their height with their text; the window follows.
    if (layout()) setFixedHeight(layout()->totalHeightForWidth(kWidth));
}

void PresetEditorView::save() {
    model_.savePresets(draft_, smart_);
    onClose_();
}

void PresetEditorView::cancel() {
    onClose_();
}

void PresetEditorView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            return cancel();
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return save();
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace ventoria::ui
