#include "notch_panel.h"

#include <QEvent>
#include <QVBoxLayout>

#include "native_window.h"

namespace ventoria::ui {

NotchPanel::NotchPanel(app::FanModel& model, NotchState& state, std::function<void()> onQuit)
    : QWidget(nullptr, notchPanelFlags()), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    styleNotchPanel(*this);
    clicksElsewhere_ = watchClicksElsewhere([this] { model_.placement().setNotchOpen(false); });
    setWindowTitle(QStringLiteral("Ventoria"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new NotchView(model, state, std::move(onQuit), this);
    layout->addWidget(view_);
}

bool NotchPanel::event(QEvent* event) {
    // Activation leaving the open panel is a click elsewhere: it closes, as on a Mac.
    if (event->type() == QEvent::WindowDeactivate) model_.placement().setNotchOpen(false);
    return QWidget::event(event);
}

}  // namespace ventoria::ui
