#pragma once
// The helper protocol's fixed points: the service's name, the version both sides must agree
// on, and where the service listens.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>

namespace ventoria::ipc {

inline constexpr const char* kServiceName = "io.kestrand.ventoria.helper";
// The compatibility mark: it changes with the messages, the Smart records or what a reply means.
inline constexpr const char* kProtocolVersion = "3";
// The largest frame either side accepts: a request carrying the largest Smart settings record
// the helper reads (4 KiB) with room to spare. A bigger frame is a broken or hostile peer.
inline constexpr std::uint32_t kMaxFrameSize = 8 * 1024;

// A request waits at most behind one control tick, which takes milliseconds on any Mac even
// when it writes; a helper that keeps a client waiting this long is stuck. Clients give up
// then, as on a helper that cannot be reached.
inline constexpr std::chrono::seconds kHelperTimeout{10};

// A socket path longer than a socket address holds (103 bytes on a Mac, 107 on Linux): the
// system would cut it short and the helper and its clients would meet at another path, or not
// at all. Only a long system root can make it so.
struct SocketPathTooLong : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The Unix-domain socket the helper listens on, under the system root. Throws
// SocketPathTooLong rather than give a path no socket can have.
std::filesystem::path socketPath();

}  // namespace ventoria::ipc
