#include "details_view.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "controls/decorations.h"
#include "fonts.h"
#include "ventoria/app/model_text.h"

namespace ventoria::ui {
namespace {

constexpr int kWidth = 540;

QString optionalRPM(std::optional<double> rpm) {
    return rpm ? app::rpmText(*rpm) : QStringLiteral("—");
}

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

    for (auto signal : {&app::FanModel::detailsChanged, &app::FanModel::polled,
                        &app::FanModel::settingsChanged}) {
        connect(&model_, signal, this, &DetailsView::render);
    }
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
    tree->header()->setFont(uiFont(11, QFont::Medium));
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree->header()->setStretchLastSection(true);
    tree->setFixedHeight(height);
    return tree;
}

void DetailsView::render() {
    const auto& details = model_.details();
    fans_->clear();
    for (const auto& fan : details.fans) {
        const auto& reading = fan.reading;
        fans_->addTopLevelItem(new QTreeWidgetItem(
            {QStringLiteral("Fan %1").arg(reading.id + 1), app::rpmText(reading.actual),
             optionalRPM(fan.target), app::rpmText(reading.min), app::rpmText(reading.max),
             reading.manual ? QStringLiteral("forced") : QStringLiteral("automatic")}));
    }
    sensors_->clear();
    auto unit = model_.unit();
    QTreeWidgetItem* group = nullptr;
    std::optional<hardware::SensorGroup> current;
    for (const auto& sensor : details.sensors) {
        if (sensor.group != current) {
            current = sensor.group;
            group = new QTreeWidgetItem(
                {QString::fromLatin1(hardware::displayName(sensor.group).data())});
            group->setFont(0, uiFont(12, QFont::DemiBold));
            sensors_->addTopLevelItem(group);
            group->setFirstColumnSpanned(true);
        }
        auto key = QString::fromStdString(sensor.key);
        auto name = sensor.name.empty() ? key : QString::fromStdString(sensor.name);
        sensors_->addTopLevelItem(new QTreeWidgetItem(
            {QStringLiteral("   ") + name, key, app::temperatureText(sensor.celsius, unit, 1)}));
    }
    history_->setHistory(model_.history().samples(), unit);
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
