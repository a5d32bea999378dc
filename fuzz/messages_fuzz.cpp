// Bytes as a peer sends them: split into frames, each decoded as a request and as a reply.
// Whatever decodes must encode back to something that decodes the same.

#include <cmath>
#include <cstdint>
#include <span>

#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/messages.h"

using namespace ventoria::ipc;

namespace {

// The same message with the same arguments; NaN fractions are the same NaN.
bool same(const Message& a, const Message& b) {
    if (a.index() != b.index()) return false;
    if (const auto* fraction = std::get_if<SetFraction>(&a)) {
        double x = fraction->fraction, y = std::get<SetFraction>(b).fraction;
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    if (const auto* smart = std::get_if<SetSmart>(&a)) {
        return smart->settings == std::get<SetSmart>(b).settings;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FrameReader reader;
    bool intact = reader.feed(std::span(data, size));
    while (auto payload = reader.next()) {
        if (auto decoded = decodeRequest(*payload)) {
            if (const auto* request = std::get_if<Request>(&*decoded)) {
                auto again = decodeRequest(encodeRequest(*request));
                const auto* back = again ? std::get_if<Request>(&*again) : nullptr;
                if (!back || back->id != request->id || !same(back->message, request->message)) {
                    __builtin_trap();
                }
            } else if (std::get<Malformed>(*decoded).reason.empty()) {
                __builtin_trap();  // a refusal always says why
            }
        }
        if (auto reply = decodeReply(*payload)) {
            auto again = decodeReply(encodeReply(*reply));
            if (!again || again->id != reply->id) __builtin_trap();
            if (again->content.index() != reply->content.index()) __builtin_trap();
            if (const auto* value = std::get_if<WireValue>(&reply->content)) {
                if (!(std::get<WireValue>(again->content) == *value)) __builtin_trap();
            } else if (!(std::get<NotUnderstood>(again->content) ==
                         std::get<NotUnderstood>(reply->content))) {
                __builtin_trap();
            }
        }
    }
    (void)intact;
    return 0;
}
