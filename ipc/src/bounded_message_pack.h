#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>

namespace ventoria::ipc {

// Exactly one MessagePack value whose arrays and maps nest at most `maxDepth` deep, or nothing.
// nlohmann's reader recurses once per level; the builder it drives stops it at the first
// container too deep, so no input chooses the depth of our stack.
std::optional<nlohmann::json> parseMessagePack(std::span<const std::uint8_t> bytes, int maxDepth);

}  // namespace ventoria::ipc
