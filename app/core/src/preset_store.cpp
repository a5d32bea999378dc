#include "ventoria/app/preset_store.h"

#include <QFileInfo>
#include <algorithm>
#include <filesystem>

#include "ventoria/app/preference_keys.h"

namespace ventoria::app {
namespace {

// A stored percentage as the editor allows it: a whole number from 0 to 100. Anything else
// was not written by us, and the default stands.
int storedPercentage(const QVariant& value, int fallback) {
    bool ok = false;
    auto number = value.toString().toLongLong(&ok);
    return ok && number >= 0 && number <= 100 ? static_cast<int>(number) : fallback;
}

}  // namespace

PresetStore::PresetStore(std::unique_ptr<UserPreferences> preferences, QObject* parent)
    : QObject(parent), preferences_(std::move(preferences)) {
    watch();
}

DisplayMode PresetStore::mode() const {
    return preferences_->value(keys::kMode).toString() == QStringLiteral("notch")
               ? DisplayMode::notch
               : DisplayMode::menu;
}

Preset PresetStore::preset() const {
    return presetFromRaw(preferences_->value(keys::kPreset).toString().toStdString())
        .value_or(Preset::automatic);
}

CustomPercentages PresetStore::custom() const {
    return {
        storedPercentage(preferences_->value(keys::percentage(Preset::balanced)),
                         kDefaultCustom.balanced),
        storedPercentage(preferences_->value(keys::percentage(Preset::max)), kDefaultCustom.max)};
}

smart::SmartSettings PresetStore::smart() const {
    auto stored = preferences_->value(keys::kSmart).toByteArray().toStdString();
    auto settings = smart::decodeSmartSettings(stored).value_or(smart::SmartSettings{});
    settings.minimum = std::clamp<std::int64_t>(settings.minimum, 0, 100);
    return settings;
}

void PresetStore::setMode(DisplayMode mode) {
    preferences_->set(keys::kMode, QString::fromLatin1(rawValue(mode).data()));
}

void PresetStore::setPreset(Preset preset) {
    auto name = QString::fromLatin1(rawValue(preset).data());
    if (preferences_->value(keys::kPreset) != name) preferences_->set(keys::kPreset, name);
}

bool PresetStore::save(const CustomPercentages& custom, const smart::SmartSettings& smart) {
    std::optional<QVariant> smartJson;
    if (auto json = smart::encode(smart)) smartJson = QByteArray::fromStdString(*json);
    return preferences_->set({{keys::percentage(Preset::balanced), custom.balanced},
                              {keys::percentage(Preset::max), custom.max},
                              {keys::kSmart, smartJson}});
}

void PresetStore::watch() {
    auto file = preferences_->location();
    if (file.isEmpty()) return;
    // The file itself when it is there, so that what other applications keep beside it wakes
    // nobody here; until it is, the nearest folder on its way that exists, to see it come.
    auto rewatch = [this, file] {
        if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
        if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
        if (QFileInfo::exists(file)) {
            watcher_.addPath(file);
            return;
        }
        std::filesystem::path folder = QFileInfo(file).absolutePath().toStdString();
        std::error_code ignored;
        while (!std::filesystem::is_directory(folder, ignored) && folder != folder.parent_path()) {
            folder = folder.parent_path();
        }
        watcher_.addPath(QString::fromStdString(folder.string()));
    };
    rewatch();
    // Settings files are replaced, not rewritten: the new one needs watching afresh.
    auto changed = [this, file, rewatch] {
        rewatch();
        if (!QFileInfo::exists(file)) return;
        preferences_->reload();
        emit changedElsewhere();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
}

}  // namespace ventoria::app
