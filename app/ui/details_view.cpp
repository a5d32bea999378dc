#include "details_view.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "controls/decorations.h"
#include "controls/tabular_delegate.h"
#include "fonts.h"
#include "ventoria/app/model_text.h"

namespace ventoria::ui {
namespace {

constexpr int kWidth = 540;

}  // namespace

DetailsView::DetailsView(app::FanModel& model, QWidget* parent) : PanelView(parent), model_(model) {
    auto* body = frame(QStringLiteral("Details"), kWidth, 18, 8);

    auto heading = [this](const QString& name) {
        auto* label = text(name, uiFont(12, QFont::DemiBold));
        tint(label, theme_.sub);
        return label;
    };
    body->addWidget(heading(QStringLiteral("Fans")));
    fans_ = table(QStringLiteral("fans"),
                  {QStringLiteral("Fan"), QStringLiteral("Actual"), QStringLiteral("Target"),
                   QStringLiteral("Minimum"), QStringLiteral("Maximum"), QStringLiteral("Mode")},
                  60);
    body->addWidget(fans_);
    body->addWidget(heading(QStringLiteral("Temperatures")));
    sensors_ = table(
        QStringLiteral("sensors"),
        {QStringLiteral("Sensor"), QStringLiteral("Key"), QStringLiteral("Temperature")}, 230);
    body->addWidget(sensors_);
    body->addWidget(heading(QStringLiteral("Last 30 minutes")));
    history_ = new HistoryChart(theme_, this);
    history_->setObjectName(QStringLiteral("history"));
    body->addWidget(history_);

    // The lists change with the details, the chart with every poll: each redrawn once.
    connect(&model_, &app::FanModel::detailsChanged, this, &DetailsView::renderLists);
    connect(&model_, &app::FanModel::polled, this, &DetailsView::renderHistory);
    connect(&model_, &app::FanModel::settingsChanged, this, &DetailsView::render);
    render();
}

QTreeWidget* DetailsView::table(const QString& name, const QStringList& columns, int height) {
    auto* tree = new QTreeWidget(this);
    tree->setObjectName(name);
    tree->setHeaderLabels(columns);
    tree->setRootIsDecorated(false);
    tree->setSelectionMode(QAbstractItemView::NoSelection);
    tree->setFocusPolicy(Qt::NoFocus);
    tree->setFont(uiFont(12));
    tree->setItemDelegate(new TabularDelegate(tree));
    tree->header()->setFont(uiFont(11, QFont::Medium));
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree->header()->setStretchLastSection(true);
    tree->setFixedHeight(height);
    return tree;
}

namespace {

// The rows, each a heading (one text) or a line of columns.
using Rows = std::vector<QStringList>;

// Puts `rows` in `tree`, changing only texts while the rows stay the same: rebuilding every
// poll would throw the reader's scroll position away every two seconds.
void fill(QTreeWidget& tree, const Rows& rows) {
    if (tree.topLevelItemCount() != static_cast<int>(rows.size())) {
        tree.clear();
        for (const auto& row : rows) {
            auto* item = new QTreeWidgetItem(row);
            tree.addTopLevelItem(item);
            if (row.size() == 1) {
                item->setFont(0, uiFont(12, QFont::DemiBold));
                item->setFirstColumnSpanned(true);
            }
        }
        return;
    }
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const auto& row = rows[static_cast<std::size_t>(i)];
        for (int column = 0; column < row.size(); ++column) {
            tree.topLevelItem(i)->setText(column, row[column]);
        }
    }
}

}  // namespace

void DetailsView::render() {
    renderLists();
    renderHistory();
}

void DetailsView::renderLists() {
    const auto& details = model_.details();
    Rows fans;
    for (const auto& fan : details.fans) {
        const auto& reading = fan.reading;
        fans.push_back({QStringLiteral("Fan %1").arg(reading.id + 1), app::rpmText(reading.actual),
                        app::rpmText(fan.target), app::rpmText(reading.min),
                        app::rpmText(reading.max), app::modeText(reading)});
    }
    fill(*fans_, fans);
    auto unit = model_.unit();
    Rows sensors;
    std::optional<hardware::SensorGroup> current;
    for (const auto& sensor : details.sensors) {
        if (sensor.group != current) {
            current = sensor.group;
            sensors.push_back({QString::fromLatin1(hardware::displayName(sensor.group).data())});
        }
        auto key = QString::fromStdString(sensor.key);
        auto name = sensor.name.empty() ? key : QString::fromStdString(sensor.name);
        sensors.push_back(
            {QStringLiteral("   ") + name, key, app::temperatureText(sensor.celsius, unit, 1)});
    }
    fill(*sensors_, sensors);
}

void DetailsView::renderHistory() {
    history_->setHistory(model_.history().samples(), model_.unit());
}

void DetailsView::showEvent(QShowEvent* event) {
    PanelView::showEvent(event);
    model_.setDetailsShown(true);
}

void DetailsView::hideEvent(QHideEvent* event) {
    PanelView::hideEvent(event);
    model_.setDetailsShown(false);
}

}  // namespace ventoria::ui
