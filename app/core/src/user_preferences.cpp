#include "ventoria/app/user_preferences.h"

#include <QFile>
#include <QStringDecoder>
#include <filesystem>

#include "ventoria/app/preference_keys.h"

namespace ventoria::app {

namespace {

// A store in a file of its own: an INI file under the system root. The Mac's defaults domain
// is the system's, shared with AppKit, and a corrupt one is the system's to mend.
bool ownFile(const QSettings& store) {
    return store.format() == QSettings::IniFormat;
}

// Qt reads almost any bytes as some INI keys; bytes that are not even text are no settings.
bool readable(const QSettings& store) {
    if (store.status() != QSettings::NoError) return false;
    if (!ownFile(store)) return true;
    QFile file(store.fileName());
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(file.readAll());
    return !utf8.hasError() && !text.contains(QChar(0));
}

}  // namespace

UserPreferences::UserPreferences(Open open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    read();
}

UserPreferences::~UserPreferences() = default;

void UserPreferences::read() {
    // Qt shares one parsed copy per file among the stores open on it: the old one goes first,
    // or the new one would be given what the old one read.
    store_.reset();
    store_ = open_();
    if (readable(*store_)) {
        readProblem_.reset();
    } else {
        readProblem_ =
            QStringLiteral("Settings at %1 could not be read; Ventoria uses its defaults")
                .arg(store_->fileName());
    }
}

QVariant UserPreferences::value(const QString& key, const QVariant& fallback) const {
    // What an unreadable store seems to hold is whatever its parser made of garbage.
    if (readProblem_) return fallback;
    return store_->value(key, fallback);
}

bool UserPreferences::set(std::initializer_list<Change> changes) {
    // An unreadable store gets none of its garbage written back (QSettings would merge it into
    // what it writes): it goes, and what takes its place is Ventoria's own and nothing else.
    bool replacing = readProblem_.has_value();
    if (replacing) {
        std::filesystem::path file = store_->fileName().toStdString();
        bool own = ownFile(*store_);
        store_.reset();
        std::error_code ignored;
        if (own && std::filesystem::is_regular_file(file)) std::filesystem::remove(file, ignored);
        store_ = open_();
    }
    if (ownFile(*store_)) {
        for (const auto& key : store_->allKeys()) {
            if (!keys::isVentoria(key)) store_->remove(key);
        }
    }
    for (const auto& [key, value] : changes) {
        if (value) {
            store_->setValue(key, *value);
        } else {
            store_->remove(key);
        }
    }
    store_->sync();
    bool stored = store_->status() == QSettings::NoError;
    if (replacing && stored) read();
    if (!stored) {
        writeProblem_ = QStringLiteral("Settings could not be saved to %1").arg(store_->fileName());
        emit writeFailed(*writeProblem_);
        return false;
    }
    writeProblem_.reset();
    emit written();
    return true;
}

// Every write is already on disk, so nothing is lost by opening the store afresh; and a store
// once unreadable is trusted again only when a fresh read says so.
void UserPreferences::reload() {
    read();
}

}  // namespace ventoria::app
