#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace ventoria::ui {

// One application per user and system root: two would each force the fans and each hand them
// back on quit under the other. The first copy serves a local socket; a later launch hands
// its arguments over and ends.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The socket's name for this user and system root.
    static QString nameForThisUser();

    explicit SingleInstance(QString name, QObject* parent = nullptr);

    // True when another copy is running; it has been given `arguments`.
    bool handOver(const QStringList& arguments);
    // Becomes the running copy. False when the socket cannot be served.
    bool serve();

  signals:
    // A later launch asked for us, with its arguments.
    void activated(const QStringList& arguments);

  private:
    QString name_;
    QLocalServer server_;
};

}  // namespace ventoria::ui
