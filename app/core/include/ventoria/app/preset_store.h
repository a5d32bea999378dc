#pragma once
// The user's choices as the user defaults keep them: where the interface lives, the active
// preset, the fixed presets' percentages and the Smart settings. Another program (ventoriactl
// presets, a second device's sync) may change them while we run; the store says so.

#include <QFileSystemWatcher>
#include <QObject>
#include <memory>

#include "ventoria/app/model_types.h"
#include "ventoria/app/user_preferences.h"
#include "ventoria/smart/smart_records.h"

namespace ventoria::app {

class PresetStore : public QObject {
    Q_OBJECT

  public:
    explicit PresetStore(std::unique_ptr<UserPreferences> preferences, QObject* parent = nullptr);

    UserPreferences& preferences() { return *preferences_; }

    // What is stored; where a value was not written by us, the default stands.
    DisplayMode mode() const;
    Preset preset() const;
    CustomPercentages custom() const;
    smart::SmartSettings smart() const;

    void setMode(DisplayMode mode);
    // Writes only a preset that differs from the stored one.
    void setPreset(Preset preset);
    // False, with UserPreferences::writeFailed, when they did not reach the disk.
    bool save(const CustomPercentages& custom, const smart::SmartSettings& smart);

  signals:
    // The store was written by someone else and has been read anew.
    void changedElsewhere();

  private:
    void watch();

    std::unique_ptr<UserPreferences> preferences_;
    QFileSystemWatcher watcher_;
};

}  // namespace ventoria::app
