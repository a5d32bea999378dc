#pragma once
// The helper protocol's fixed points: the service's name, the version both sides must agree
// on, and where the service listens.

#include <cstdint>
#include <filesystem>

namespace ventoria::ipc {

inline constexpr const char* kServiceName = "io.kestrand.ventoria.helper";
// The compatibility mark: it changes with the messages, the Smart records or what a reply means.
inline constexpr const char* kProtocolVersion = "3";
// No legitimate message comes near this; a bigger frame is a broken or hostile peer.
inline constexpr std::uint32_t kMaxFrameSize = 64 * 1024;

// The Unix-domain socket the helper listens on, under the system root.
std::filesystem::path socketPath();

}  // namespace ventoria::ipc
