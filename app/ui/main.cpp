// Ventoria: the menu-bar application.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "app_delegate.h"
#include "fonts.h"
#include "screen_presence.h"
#include "single_instance.h"
#include "snapshot.h"
#include "ventoria/app/signal_watcher.h"
#include "ventoria/command_line/parse.h"

namespace {

// The desktop's termination request arrives as a signal. Quitting hands back within its own
// bound; past it and a second more, the process ends however it is stuck.
void watchTerminationRequests(ventoria::ui::AppDelegate& delegate) {
    auto* watcher = new ventoria::app::SignalWatcher(
        {SIGTERM, SIGINT, SIGHUP}, ventoria::ui::AppDelegate::kQuitBound + std::chrono::seconds(1),
        &delegate);
    QObject::connect(watcher, &ventoria::app::SignalWatcher::signalled, &delegate,
                     [&delegate] { delegate.requestQuit(); });
}

}  // namespace

int main(int argc, char** argv) {
    // Read before Qt starts: --help must not start anything, not even a display connection.
    CLI::App cli{"Ventoria: fan control from the menu bar. Honours VENTORIA_SYSROOT.", "Ventoria"};
    ventoria::command_line::addVersionFlag(cli, "Ventoria");
    std::string snapshotOption;
    cli.add_option("--snapshot", snapshotOption,
                   "render the interface's pictures into DIRECTORY offscreen, then quit")
        ->option_text("DIRECTORY");
    cli.allow_extras();  // Qt's own options, such as -platform, pass through
    CLI11_PARSE(cli, argc, argv);
    QString snapshotDirectory = QString::fromStdString(snapshotOption);
    if (!snapshotDirectory.isEmpty() && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);  // pictures need no screen
    } else if (snapshotDirectory.isEmpty() && !ventoria::ui::sessionHasScreen()) {
        std::cerr << "Ventoria needs a display. Without one, `ventoriactl select PRESET --watch` "
                     "holds a preset and shows the fans live.\n";
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ventoria"));
    QApplication::setQuitOnLastWindowClosed(false);
    ventoria::ui::installInterfaceFont();

    if (!snapshotDirectory.isEmpty()) {
        auto model = ventoria::app::makeFanModel({.reapplyAtStart = false});
        auto failed = ventoria::ui::writeSnapshots(*model, snapshotDirectory);
        for (const auto& name : failed)
            std::cerr << "Ventoria: could not write " << name.toStdString() << "\n";
        return failed.isEmpty() ? 0 : 1;
    }

    // A second launch brings the running copy forward instead of fighting it for the fans.
    ventoria::ui::SingleInstance instance(ventoria::ui::SingleInstance::nameForThisUser());
    if (instance.handOver(QApplication::arguments())) return 0;
    if (!instance.serve()) {
        std::cerr << "Ventoria: cannot tell whether another copy is running; starting anyway\n";
    }

    ventoria::ui::AppDelegate delegate(ventoria::app::makeFanModel({}));
    QObject::connect(&instance, &ventoria::ui::SingleInstance::activated, &delegate,
                     [&delegate] { delegate.activate(); });
    QObject::connect(&delegate, &ventoria::ui::AppDelegate::readyToTerminate, &application,
                     &QApplication::quit);
    watchTerminationRequests(delegate);
    delegate.didFinishLaunching();
    return QApplication::exec();
}
