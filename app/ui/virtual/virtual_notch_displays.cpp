// On the virtual Mac the camera housing is simulated: the virtual Mac's display setting says
// whether the first screen has one and how big it is. The setting changes without notice, so it is
// looked at again on every poll of the model, which costs a read of shared memory.

#include <QGuiApplication>
#include <QScreen>

#include "notch_displays.h"
#include "ventoria/platform/virtual_display.h"

namespace ventoria::ui {
namespace {

class VirtualNotchDisplays final : public NotchDisplays {
    Q_OBJECT
  public:
    VirtualNotchDisplays() : last_(platform::virtualNotch()) {
        auto* application = qGuiApp;
        connect(application, &QGuiApplication::screenAdded, this, &NotchDisplays::changed);
        connect(application, &QGuiApplication::screenRemoved, this, &NotchDisplays::changed);
        connect(application, &QGuiApplication::primaryScreenChanged, this, &NotchDisplays::changed);
    }

    void recheck() override {
        auto now = platform::virtualNotch();
        if (now == last_) return;
        last_ = now;
        emit changed();
    }

    std::optional<NotchScreen> notchScreen() override {
        auto notch = platform::virtualNotch();
        auto screens = QGuiApplication::screens();
        if (!notch || screens.isEmpty()) return std::nullopt;
        return NotchScreen{screens.first()->geometry(), QSize(notch->width, notch->height)};
    }

  private:
    std::optional<platform::VirtualNotch> last_;
};

}  // namespace

std::unique_ptr<NotchDisplays> systemNotchDisplays() {
    return std::make_unique<VirtualNotchDisplays>();
}

}  // namespace ventoria::ui

#include "virtual_notch_displays.moc"
