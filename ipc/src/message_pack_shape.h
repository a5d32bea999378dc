#pragma once

#include <cstdint>
#include <span>

namespace ventoria::ipc {

// Walks a MessagePack document without recursion: true when the bytes are exactly one
// well-formed value whose arrays and maps nest at most `maxDepth` deep. A parser that
// recurses per level may then be given the bytes without the input choosing its stack depth.
bool shallowMessagePack(std::span<const std::uint8_t> bytes, int maxDepth);

}  // namespace ventoria::ipc
