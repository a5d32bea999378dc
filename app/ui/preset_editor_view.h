#pragma once

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QWidget>
#include <functional>
#include <memory>

#include "controls/segmented.h"
#include "curve_chart.h"
#include "panel_view.h"
#include "temp_grid.h"
#include "theme.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// A slider position as a stored percentage: the nearest multiple of 5, halves away from zero.
int roundToStep(double value);
// The object name of a fixed preset's slider, "slider-" and the preset's raw value.
QString sliderName(app::Preset preset);

// The editor's content: the fixed percentages and the Smart settings on a draft that reaches
// the model only on Save.
class PresetEditorView : public PanelView {
    Q_OBJECT
  public:
    PresetEditorView(app::FanModel& model, std::function<void()> onClose,
                     QWidget* parent = nullptr);

    const app::CustomPercentages& draft() const { return draft_; }
    bool chartChip() const { return chartChip_; }

    void save();
    void cancel();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QLayout* fixedRow(app::Preset preset, QSlider*& control, QLabel*& value);
    QLayout* smartSection();
    QLayout* aggressivenessBlock();
    QLayout* minimumBlock();
    QLayout* footer();
    void load(const app::CustomPercentages& draft, const smart::SmartSettings& settings);
    void showTemperature();
    void render();

    app::FanModel& model_;
    std::function<void()> onClose_;
    app::CustomPercentages draft_;
    smart::SmartSettings smart_;
    bool chartChip_ = true;

    QSlider* balanced_;
    QSlider* max_;
    QLabel* balancedValue_;
    QLabel* maxValue_;
    Segmented* chartAxis_;
    CurveChart* chart_;
    Segmented* aggressiveness_;
    QLabel* curveNote_;
    QLabel* safetyNote_;
    QLabel* minimumValue_;
    QSlider* minimumSlider_;
    QLabel* minimumNote_;
    QPushButton* reset_;
};

}  // namespace ventoria::ui
