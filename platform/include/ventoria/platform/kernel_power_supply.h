#pragma once
// The power source as the Linux kernel's power_supply class describes it: one directory per
// supply, each with its `type` and, for what plugs in, whether it is `online`.

#include <filesystem>
#include <optional>

namespace ventoria::platform {

// False while a charger (mains or USB) is online; otherwise true when a battery is present;
// nothing when `classDirectory` lists neither. The charger's `online` is asked, not the
// battery's status: "Discharging" lingers after the plug goes in, and "Not charging" is said
// on a full battery on the charger.
std::optional<bool> kernelOnBattery(const std::filesystem::path& classDirectory);

}  // namespace ventoria::platform
