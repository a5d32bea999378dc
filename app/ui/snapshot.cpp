#include "snapshot.h"

#include <QDir>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

#include "details_view.h"
#include "glyphs.h"
#include "notch_displays.h"
#include "notch_geometry.h"
#include "notch_view.h"
#include "preset_editor_view.h"
#include "settings_view.h"
#include "status_item_controller.h"
#include "ventoria/app/fan_model.h"

namespace ventoria::ui {
namespace {

constexpr qreal kScale = 2;

// Lets animations that started with the surfaces run to their end.
void letAnimationsFinish() {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(1200), &loop, &QEventLoop::quit);
    loop.exec();
}

QImage render(QWidget& widget, const QColor& backdrop = Qt::transparent) {
    QImage image(widget.size() * kScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kScale);
    image.fill(backdrop);
    QPainter painter(&image);
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The notch hangs from the top of a screen: show it over a plain desktop.
QImage onDesktop(QWidget& notch) {
    QSize area = notch.size() + QSize(80, 40);
    QImage image(area * kScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kScale);
    QPainter painter(&image);
    QLinearGradient wallpaper(0, 0, 0, area.height());
    wallpaper.setColorAt(0, QColor(112, 146, 190));
    wallpaper.setColorAt(1, QColor(196, 170, 206));
    painter.fillRect(QRect(QPoint(), area), wallpaper);
    painter.drawImage(QPointF(40, 0), render(notch));
    return image;
}

QImage trayIcons() {
    const double levels[] = {0, 0.34, 0.67};
    constexpr int kCell = 40;
    QImage image(QSize(kCell * 4, kCell * 2) * kScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kScale);
    QPainter painter(&image);
    for (int row = 0; row < 2; ++row) {
        bool dark = row == 1;
        painter.fillRect(QRect(0, row * kCell, kCell * 4, kCell),
                         dark ? QColor(30, 30, 32) : QColor(236, 236, 238));
        for (int column = 0; column < 4; ++column) {
            bool safety = column == 3;
            int lit = safety ? 3 : litBlades(levels[column]);
            QImage icon = statusIcon(lit, safety, dark, kScale * 2);
            painter.drawImage(QRectF(column * kCell + 8, row * kCell + 8, 24, 24), icon);
        }
    }
    return image;
}

// A window as the user first sees it: laid out, shown, its animations run.
QImage shown(QWidget& window) {
    window.adjustSize();
    window.show();
    letAnimationsFinish();
    return render(window);
}

QImage notchPicture(app::FanModel& model, NotchState& state, bool open) {
    NotchView view(model, state, [] {});
    state.setOpen(open, std::nullopt);
    view.resize(panelSize(state.notchSize(), open).toSize());
    view.show();
    letAnimationsFinish();
    return onDesktop(view);
}

QImage popoverPicture(app::FanModel& model, bool dark) {
    PopoverPanel panel(
        model, [] {}, [] {}, false);
    panel.setAttribute(Qt::WA_TranslucentBackground);
    panel.view()->setDark(dark);
    return shown(panel);
}

}  // namespace

QStringList writeSnapshots(app::FanModel& model, const QString& directory) {
    QDir().mkpath(directory);
    QStringList failed;
    auto screens = systemNotchDisplays();
    model.placement().setNotchAvailable(screens->notchScreen().has_value());
    auto write = [&](const QImage& image, const QString& name) {
        if (!image.save(QDir(directory).filePath(name))) failed << name;
    };

    write(popoverPicture(model, false), QStringLiteral("popover-light.png"));
    write(popoverPicture(model, true), QStringLiteral("popover-dark.png"));
    NotchState state;
    state.setNotchSize(QSizeF(200, 32));
    write(notchPicture(model, state, false), QStringLiteral("notch-closed.png"));
    write(notchPicture(model, state, true), QStringLiteral("notch-open.png"));
    PresetEditorView editor(model, [] {});
    write(shown(editor), QStringLiteral("editor.png"));
    SettingsView settings(model);
    write(shown(settings), QStringLiteral("settings.png"));
    DetailsView details(model);  // showing it reads every fan's target and every sensor
    write(shown(details), QStringLiteral("details.png"));
    write(trayIcons(), QStringLiteral("tray-icons.png"));
    return failed;
}

}  // namespace ventoria::ui
