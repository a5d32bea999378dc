#pragma once
// What the machine runs on, read at each poll, and whether that is a change: the first
// reading is where the model starts from, never a change, so nothing follows a plug at launch.

#include <functional>
#include <optional>

#include "ventoria/app/model_types.h"

namespace ventoria::app {

class PowerWatch {
  public:
    // True on battery, false on a charger, nothing when the system cannot tell.
    using OnBattery = std::function<std::optional<bool>()>;

    explicit PowerWatch(OnBattery onBattery);

    // Reads the source; true when it differs from the one read before.
    bool changed();
    std::optional<PowerSource> source() const { return source_; }

  private:
    OnBattery onBattery_;
    std::optional<PowerSource> source_;
};

}  // namespace ventoria::app
