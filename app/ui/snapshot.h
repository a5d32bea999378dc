#pragma once

#include <QString>

namespace ventoria::app {
class FanModel;
}

namespace ventoria::ui {

// Renders every surface from the live model into `directory`: popover-light.png,
// popover-dark.png, notch-closed.png, notch-open.png, editor.png and tray-icons.png. Returns
// the files it could not write.
QStringList writeSnapshots(app::FanModel& model, const QString& directory);

}  // namespace ventoria::ui
