#pragma once

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QWidget>
#include <functional>
#include <memory>

#include "curve_chart.h"
#include "temp_grid.h"
#include "theme.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// A slider position as a stored percentage: the nearest multiple of 5, halves away from zero.
int roundToStep(double value);

// The editor's content: the fixed percentages and the Smart settings on a draft that reaches
// the model only on Save.
class PresetEditorView : public QWidget {
    Q_OBJECT
  public:
    PresetEditorView(app::FanModel& model, std::function<void()> onClose,
                     QWidget* parent = nullptr);

    const app::CustomPercentages& draft() const { return draft_; }
    const smart::SmartSettings& smartDraft() const { return smart_; }
    bool chartChip() const { return chartChip_; }

    QSlider* slider(app::Preset preset) const;
    QSlider* minimumSlider() const { return minimumSlider_; }
    Segmented* chartAxisControl() const { return chartAxis_; }
    Segmented* aggressivenessControl() const { return aggressiveness_; }
    QPushButton* resetButton() const { return reset_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* saveButton() const { return save_; }
    QLabel* minimumExplanation() const { return minimumNote_; }
    QLabel* curveExplanation() const { return curveNote_; }

    void save();
    void cancel();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void load(const app::CustomPercentages& draft, const smart::SmartSettings& settings);
    void showTemperature();
    void refresh();

    app::FanModel& model_;
    std::function<void()> onClose_;
    app::CustomPercentages draft_;
    smart::SmartSettings smart_;
    bool chartChip_ = true;
    PopoverTheme theme_;
    bool dark_;
    QPoint dragFrom_;

    QSlider* balanced_;
    QSlider* max_;
    QLabel* balancedValue_;
    QLabel* maxValue_;
    Segmented* chartAxis_;
    CurveChart* chart_;
    Segmented* aggressiveness_;
    QLabel* curveNote_;
    QLabel* minimumValue_;
    QSlider* minimumSlider_;
    QLabel* minimumNote_;
    QPushButton* reset_;
    QPushButton* cancel_;
    QPushButton* save_;
};

// Owns the editor's one window, made on first use; every show starts from a fresh draft of
// the model's values.
class PresetEditorController : public QObject {
    Q_OBJECT
  public:
    explicit PresetEditorController(app::FanModel& model);
    ~PresetEditorController() override;

    void show();
    QWidget* window() const { return window_.get(); }
    PresetEditorView* view() const { return view_; }

  private:
    app::FanModel& model_;
    std::unique_ptr<QWidget> window_;
    QPointer<PresetEditorView> view_;
};

}  // namespace ventoria::ui
