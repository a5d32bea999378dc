#pragma once
// What the fans are asked to do: a fixed share of their maximum, Smart control, or the
// machine's own control.

#include <memory>
#include <variant>

#include "ventoria/smart/smart_controller.h"

namespace ventoria::helper {

struct Fixed {
    double fraction;  // of each fan's maximum, already clamped to 0…1
};
struct Smart {
    std::shared_ptr<smart::SmartController> controller;
};
struct Auto {};
using Target = std::variant<Fixed, Smart, Auto>;

}  // namespace ventoria::helper
