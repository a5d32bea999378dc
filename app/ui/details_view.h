#pragma once

#include <QTreeWidget>

#include "history_chart.h"
#include "panel_view.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {

// The Details window's content: every fan with its speeds and mode, every temperature sensor
// by group, and the last half hour's chart. The model reads the extra keys only while this is
// shown.
class DetailsView : public PanelView {
    Q_OBJECT
  public:
    explicit DetailsView(app::FanModel& model, QWidget* parent = nullptr);

    void render();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void renderLists();
    void renderHistory();
    QTreeWidget* table(const QString& name, const QStringList& columns, int height);

    app::FanModel& model_;
    QTreeWidget* fans_;
    QTreeWidget* sensors_;
    HistoryChart* history_;
};

}  // namespace ventoria::ui
