#pragma once
// Where the interface lives: the menu bar, or the notch of a display that has one. The user's
// wish is kept across launches; whether it can be granted depends on the displays attached,
// which the notch controller keeps current.

#include <QObject>

#include "ventoria/app/model_types.h"

namespace ventoria::app {

class PresetStore;

class DisplayPlacement : public QObject {
    Q_OBJECT
    // Where the user wants the interface.
    Q_PROPERTY(ventoria::app::DisplayMode preferredMode READ preferredMode NOTIFY changed)
    // A screen with a camera housing is attached.
    Q_PROPERTY(bool notchAvailable READ notchAvailable WRITE setNotchAvailable NOTIFY changed)
    // The notch panel is expanded.
    Q_PROPERTY(bool notchOpen READ notchOpen WRITE setNotchOpen NOTIFY changed)

  public:
    explicit DisplayPlacement(PresetStore& store, QObject* parent = nullptr);

    DisplayMode preferredMode() const { return preferredMode_; }
    bool notchAvailable() const { return notchAvailable_; }
    bool notchOpen() const { return notchOpen_; }
    // The notch is wanted and there is one to use.
    bool usesNotch() const { return preferredMode_ == DisplayMode::notch && notchAvailable_; }

    void setNotchAvailable(bool available);
    void setNotchOpen(bool open);
    // Refuses the notch while no notch display is attached; choosing it opens it.
    void setDisplayMode(DisplayMode mode);

  signals:
    // Any of the three changed; each only when its value did.
    void changed();

  private:
    PresetStore& store_;
    DisplayMode preferredMode_;
    bool notchAvailable_ = false;
    bool notchOpen_ = false;
};

}  // namespace ventoria::app
