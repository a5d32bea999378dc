// Bytes as a peer sends them: split into frames, each decoded as a request and as a reply.
// Whatever decodes must encode back to something that decodes the same.

#include <cstdint>
#include <span>

#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/messages.h"

using namespace ventoria::ipc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FrameReader reader;
    bool intact = reader.feed(std::span(data, size));
    while (auto payload = reader.next()) {
        if (auto request = decodeRequest(*payload)) {
            auto again = decodeRequest(encodeRequest(*request));
            if (!again || again->id != request->id || again->message != request->message ||
                again->settings != request->settings) {
                __builtin_trap();
            }
        }
        if (auto reply = decodeReply(*payload)) {
            auto again = decodeReply(encodeReply(*reply, Message::smartStatus));
            if (!again || again->id != reply->id || again->value != reply->value) __builtin_trap();
        }
    }
    (void)intact;
    return 0;
}
