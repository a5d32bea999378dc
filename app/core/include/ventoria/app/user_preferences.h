#pragma once
// The user's choices as stored: read once, and every write of them written out at once and
// checked, so that nothing is reported as kept that did not reach the disk. A store that cannot
// be read (garbage, a directory in its place) is left untouched, read as empty, and replaced
// by Ventoria's own keys alone the first time the user changes something. A store in a file of
// Ventoria's own (not the Mac's defaults domain, which the system shares) keeps nothing but
// Ventoria's keys once it is written.

#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>

namespace ventoria::app {

class UserPreferences : public QObject {
    Q_OBJECT

  public:
    using Open = std::function<std::unique_ptr<QSettings>()>;
    // A value to store under a key; nothing removes the key.
    using Change = std::pair<QString, std::optional<QVariant>>;

    // `open` opens the store afresh each time it must be read anew.
    explicit UserPreferences(Open open, QObject* parent = nullptr);
    ~UserPreferences() override;

    // The stored value, or nothing while the store could not be read.
    QVariant value(const QString& key, const QVariant& fallback = {}) const;
    // Stores the changes and writes them out at once. False, with writeProblem() and
    // writeFailed(), when they did not reach the disk.
    bool set(std::initializer_list<Change> changes);
    bool set(const QString& key, const std::optional<QVariant>& value) {
        return set({{key, value}});
    }
    // Reads the store anew: another program wrote it.
    void reload();

    // Why the store could not be read when it was opened or reloaded; nothing once it could,
    // or once a write has replaced it.
    const std::optional<QString>& readProblem() const { return readProblem_; }
    // Why the last write did not reach the disk; nothing once one did.
    const std::optional<QString>& writeProblem() const { return writeProblem_; }
    // The file the store lives in; empty where it is no file of ours.
    QString location() const { return store_->fileName(); }

  signals:
    void writeFailed(const QString& message);
    void written();

  private:
    void read();

    Open open_;
    std::unique_ptr<QSettings> store_;
    std::optional<QString> readProblem_;
    std::optional<QString> writeProblem_;
};

}  // namespace ventoria::app
