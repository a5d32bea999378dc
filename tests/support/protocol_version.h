#pragma once
// The protocol version this build speaks, written out: a test compares with the literal a peer
// depends on, so changing the code's constant alone fails the suite.

namespace ventoria::test {

inline constexpr const char* kProtocolVersion = "3";

}  // namespace ventoria::test
