// On Linux (and so on the virtual Mac, whose sleeps are its host's) a wake is logind's
// PrepareForSleep(false) on the system bus. Any sender is heard: a false word costs one poll.

#include "ventoria/app/wake_notice.h"

#include <QDBusConnection>

namespace ventoria::app {
namespace {

// QtDBus delivers signals to a slot only, by name.
class SleepSignal final : public QObject {
    Q_OBJECT

  public:
    explicit SleepSignal(WakeNotice* notice) : QObject(notice), notice_(notice) {}

  public slots:
    void prepareForSleep(bool sleeping) {
        if (!sleeping) emit notice_->woke();
    }

  private:
    WakeNotice* notice_;
};

}  // namespace

struct WakeNotice::System {
    SleepSignal* receiver;  // a child of the notice
};

WakeNotice::WakeNotice(QObject* parent) : QObject(parent) {
    auto bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    auto* receiver = new SleepSignal(this);
    if (bus.connect(QString(), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"),
                    QStringLiteral("PrepareForSleep"), receiver, SLOT(prepareForSleep(bool)))) {
        system_ = std::make_unique<System>(System{receiver});
    }
}

WakeNotice::~WakeNotice() = default;

}  // namespace ventoria::app

#include "wake_notice.moc"
