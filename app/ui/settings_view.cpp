#include "settings_view.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "controls/decorations.h"
#include "controls/menu_row.h"
#include "fonts.h"
#include "ventoria/app/login_item.h"

namespace ventoria::ui {
namespace {

constexpr int kWidth = 380;

QString alertLabel(app::AlertKind kind) {
    switch (kind) {
        case app::AlertKind::safetyBoost:
            return QStringLiteral("Smart's safety boost");
        case app::AlertKind::stuckFan:
            return QStringLiteral("A forced fan stops turning");
        case app::AlertKind::helperUnreachable:
            return QStringLiteral("The helper cannot be reached");
    }
    return {};
}

QString partName(const char* prefix, std::string_view raw) {
    return QString::fromLatin1(prefix) + QString::fromLatin1(raw.data(), raw.size());
}

}  // namespace

SettingsView::SettingsView(app::FanModel& model, QWidget* parent)
    : PanelView(parent), model_(model) {
    auto* body = frame(QStringLiteral("Settings"), kWidth, 16, 10);
    addGeneral(body);
    body->addWidget(divider());
    addNotifications(body);
    body->addWidget(divider());
    addPower(body);
    body->addWidget(divider());
    auto* details = new MenuRow(QStringLiteral("Show Details…"), {}, this);
    details->setObjectName(QStringLiteral("detailsRow"));
    details->setTheme(theme_);
    connect(details, &QAbstractButton::clicked, &model_, &app::FanModel::openDetails);
    body->addWidget(details);

    for (auto signal : {&app::FanModel::settingsChanged, &app::FanModel::powerSourceChanged}) {
        connect(&model_, signal, this, &SettingsView::render);
    }
    render();
}

void SettingsView::addGeneral(QVBoxLayout* body) {
    body->addWidget(section(QStringLiteral("General")));
    unit_ = new Segmented({QStringLiteral("Celsius"), QStringLiteral("Fahrenheit")}, false, this);
    unit_->setObjectName(QStringLiteral("unit"));
    unit_->setTheme(theme_);
    connect(unit_, &Segmented::chosen, this, [this](int index) {
        model_.settings().setTemperatureUnit(index == 1 ? app::TemperatureUnit::fahrenheit
                                                        : app::TemperatureUnit::celsius);
    });
    body->addWidget(row(QStringLiteral("Temperatures"), unit_));
    menuBarTemperature_ = toggle(QStringLiteral("menuBarTemperature"), [this](bool wanted) {
        model_.settings().setMenuBarTemperature(wanted);
    });
    body->addWidget(row(QStringLiteral("Chip temperature in the menu bar"), menuBarTemperature_));
    launchAtLogin_ = toggle(QStringLiteral("launchAtLogin"), [this](bool wanted) {
        auto refused = app::setLaunchAtLogin(wanted);
        loginNote_->setText(refused ? QString::fromStdString(*refused) : QString());
        loginNote_->setVisible(refused.has_value());
        render();
    });
    body->addWidget(row(QStringLiteral("Launch at login"), launchAtLogin_));
    loginNote_ = text({}, uiFont(11));
    loginNote_->setObjectName(QStringLiteral("loginNote"));
    tint(loginNote_, theme_.safety);
    loginNote_->hide();
    body->addWidget(loginNote_);
}

void SettingsView::addNotifications(QVBoxLayout* body) {
    body->addWidget(section(QStringLiteral("Notifications")));
    for (auto kind : app::kAllAlertKinds) {
        auto* control = toggle(partName("notify-", app::rawValue(kind)),
                               [this, kind](bool on) { model_.settings().setNotifies(kind, on); });
        notifies_[static_cast<std::size_t>(kind)] = control;
        body->addWidget(row(alertLabel(kind), control));
    }
}

void SettingsView::addPower(QVBoxLayout* body) {
    body->addWidget(section(QStringLiteral("Power")));
    body->addWidget(row(QStringLiteral("On battery"), presetChoice(app::PowerSource::battery)));
    body->addWidget(row(QStringLiteral("On the charger"), presetChoice(app::PowerSource::charger)));
    powerNow_ = text({}, uiFont(11));
    powerNow_->setObjectName(QStringLiteral("powerNow"));
    tint(powerNow_, theme_.sub);
    body->addWidget(powerNow_);
}

QLabel* SettingsView::section(const QString& name) {
    auto* label = text(name, uiFont(12, QFont::DemiBold));
    tint(label, theme_.sub);
    return label;
}

QWidget* SettingsView::row(const QString& label, QWidget* control) {
    auto* line = new QWidget(this);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* name = text(label, uiFont(13));
    tint(name, theme_.text);
    layout->addWidget(name, 1);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    return line;
}

ToggleSwitch* SettingsView::toggle(const QString& name, std::function<void(bool)> flipped) {
    auto* control = new ToggleSwitch(this);
    control->setObjectName(name);
    connect(control, &ToggleSwitch::flipped, this, std::move(flipped));
    return control;
}

QComboBox* SettingsView::presetChoice(app::PowerSource source) {
    auto* choice = new QComboBox(this);
    choice->setFont(uiFont(12));
    choice->setMinimumWidth(120);
    choice->setObjectName(partName("power-", app::rawValue(source)));
    choice->addItem(QStringLiteral("No change"));
    for (auto preset : app::kAllPresets) {
        choice->addItem(QString::fromLatin1(app::displayName(preset).data()),
                        QString::fromLatin1(app::rawValue(preset).data()));
    }
    connect(choice, &QComboBox::activated, this, [this, choice, source](int index) {
        auto raw = choice->itemData(index).toString().toStdString();
        model_.settings().setPowerPreset(source, app::presetFromRaw(raw));
    });
    powerPresets_[static_cast<std::size_t>(source)] = choice;
    return choice;
}

void SettingsView::render() {
    const auto& settings = model_.settings();
    unit_->setSelected(settings.temperatureUnit() == app::TemperatureUnit::fahrenheit ? 1 : 0);
    menuBarTemperature_->setOn(settings.menuBarTemperature());
    launchAtLogin_->setOn(app::launchesAtLogin());
    for (auto kind : app::kAllAlertKinds) {
        notifies_[static_cast<std::size_t>(kind)]->setOn(settings.notifies(kind));
    }
    for (auto source : app::kAllPowerSources) {
        auto preset = settings.powerPreset(source);
        // Item 0 is "No change"; the presets follow in their own order.
        powerPresets_[static_cast<std::size_t>(source)]->setCurrentIndex(
            preset ? static_cast<int>(*preset) + 1 : 0);
    }
    auto now = model_.powerSource();
    powerNow_->setText(!now ? QStringLiteral("The power source cannot be read.")
                       : *now == app::PowerSource::battery ? QStringLiteral("Now on battery.")
                                                           : QStringLiteral("Now on the charger."));
}

}  // namespace ventoria::ui
