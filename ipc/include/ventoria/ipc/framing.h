#pragma once
// Frames on the stream: a 4-byte big-endian payload length, then the payload.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace ventoria::ipc {

inline constexpr std::size_t kFrameHeaderSize = 4;

std::vector<std::uint8_t> frame(std::span<const std::uint8_t> payload);

// The payload length a header announces, or nothing when no peer of ours would send it
// (an empty or oversized frame).
std::optional<std::uint32_t> payloadLength(std::span<const std::uint8_t, kFrameHeaderSize> header);

// Cuts a byte stream that arrives in arbitrary pieces into payloads.
class FrameReader {
  public:
    // False once the stream is broken; it stays broken.
    bool feed(std::span<const std::uint8_t> bytes);
    std::optional<std::vector<std::uint8_t>> next();

    // A complete payload is waiting to be taken.
    bool hasPayload() const { return !ready_.empty(); }
    // Bytes of a frame that has begun but not ended are waiting for the rest.
    bool partial() const { return !buffer_.empty(); }
    // How many frames have been completed so far, taken or not.
    std::uint64_t completed() const { return completed_; }

  private:
    std::vector<std::uint8_t> buffer_;
    std::deque<std::vector<std::uint8_t>> ready_;
    std::uint64_t completed_ = 0;
    bool broken_ = false;
};

}  // namespace ventoria::ipc
