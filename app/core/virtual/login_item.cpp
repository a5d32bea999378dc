// On Linux the login item is an XDG autostart entry in the user's configuration folder (on a
// virtual Mac, the one under its system root).

#include "ventoria/app/login_item.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include "ventoria/app/user_folder.h"

namespace ventoria::app {
namespace {

std::filesystem::path entryPath() {
    return userConfigFolder() / "autostart" / "io.kestrand.ventoria.desktop";
}

// The application, found beside whichever of our programs asks (ventoriactl included).
std::filesystem::path application() {
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "Ventoria";
}

}  // namespace

bool launchesAtLogin() {
    QFile entry(QString::fromStdString(entryPath().string()));
    if (!entry.open(QIODevice::ReadOnly)) return false;
    auto text = QString::fromUtf8(entry.readAll());
    // The desktop's own switches for an entry that stays on disk.
    return !text.contains(QStringLiteral("\nHidden=true")) &&
           !text.contains(QStringLiteral("\nX-GNOME-Autostart-enabled=false"));
}

std::optional<std::string> setLaunchAtLogin(bool on) {
    auto path = entryPath();
    if (!on) {
        std::error_code error;
        std::filesystem::remove(path, error);
        if (error) return "cannot remove " + path.string() + ": " + error.message();
        return std::nullopt;
    }
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    QSaveFile entry(QString::fromStdString(path.string()));
    if (!entry.open(QIODevice::WriteOnly)) {
        return "cannot write " + path.string() + ": " + entry.errorString().toStdString();
    }
    entry.write(QByteArray::fromStdString(autostartEntry(application())));
    if (!entry.commit()) {
        return "cannot write " + path.string() + ": " + entry.errorString().toStdString();
    }
    return std::nullopt;
}

}  // namespace ventoria::app
