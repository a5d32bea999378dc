#include "ventoria/ipc/framing.h"

#include "ventoria/ipc/protocol.h"

namespace ventoria::ipc {

std::vector<std::uint8_t> frame(std::span<const std::uint8_t> payload) {
    auto size = static_cast<std::uint32_t>(payload.size());
    std::vector<std::uint8_t> out{
        static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
        static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::optional<std::uint32_t> payloadLength(std::span<const std::uint8_t, kFrameHeaderSize> header) {
    std::uint32_t size = static_cast<std::uint32_t>(header[0]) << 24 |
                         static_cast<std::uint32_t>(header[1]) << 16 |
                         static_cast<std::uint32_t>(header[2]) << 8 | header[3];
    if (size == 0 || size > kMaxFrameSize) return std::nullopt;
    return size;
}

bool FrameReader::feed(std::span<const std::uint8_t> bytes) {
    if (broken_) return false;
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    std::size_t used = 0;
    while (buffer_.size() - used >= kFrameHeaderSize) {
        auto size = payloadLength(std::span<const std::uint8_t, kFrameHeaderSize>(
            buffer_.data() + used, kFrameHeaderSize));
        if (!size) {
            broken_ = true;
            buffer_.clear();
            return false;
        }
        if (buffer_.size() - used - kFrameHeaderSize < *size) break;
        auto start = buffer_.begin() + static_cast<std::ptrdiff_t>(used + kFrameHeaderSize);
        ready_.emplace_back(start, start + *size);
        ++completed_;
        used += kFrameHeaderSize + *size;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

std::optional<std::vector<std::uint8_t>> FrameReader::next() {
    if (ready_.empty()) return std::nullopt;
    auto payload = std::move(ready_.front());
    ready_.pop_front();
    return payload;
}

}  // namespace ventoria::ipc
