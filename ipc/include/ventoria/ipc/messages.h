#pragma once
// The helper protocol's messages on the wire: one MessagePack map per frame. A request names
// its message by selector and carries an id; the reply carries the same id, so replies on one
// connection may come back in any order. MessagePack keeps doubles exact (NaN included) and
// carries the Smart settings as the bytes the client sent.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ventoria::ipc {

enum class Message { version, setFraction, setSmart, smartStatus, setAuto };

// "versionWithReply:", "setFraction:reply:", "setSmart:reply:", "smartStatusWithReply:",
// "setAutoWithReply:".
std::string_view selector(Message message);

struct Request {
    std::uint64_t id = 0;
    Message message = Message::version;
    double fraction = 0;   // setFraction
    std::string settings;  // setSmart: the JSON of the Smart settings, byte for byte

    // Each message with its arguments; the id is the connection's to give.
    static Request version() { return {0, Message::version, 0, {}}; }
    static Request setFraction(double fraction) { return {0, Message::setFraction, fraction, {}}; }
    static Request setSmart(std::string settings) {
        return {0, Message::setSmart, 0, std::move(settings)};
    }
    static Request smartStatus() { return {0, Message::smartStatus, 0, {}}; }
    static Request setAuto() { return {0, Message::setAuto, 0, {}}; }
};

// A command changes the fans; its reply is nothing on success and the reason on refusal.
// The other messages answer with what they were asked for.
constexpr bool isCommand(Message message) {
    return message == Message::setFraction || message == Message::setSmart ||
           message == Message::setAuto;
}

// The reply: a text (a command's refusal, the version), data (a status), or nothing.
struct Reply {
    std::uint64_t id = 0;
    std::optional<std::string> value;

    // The reason a command was refused; nothing for a command that was carried out and for
    // every reply to a question.
    std::optional<std::string> refusal(Message asked) const {
        return isCommand(asked) ? value : std::nullopt;
    }
};

std::vector<std::uint8_t> encodeRequest(const Request& request);
// Nothing for a payload that is not a request of a known message with arguments of the
// right types: the peer is broken.
std::optional<Request> decodeRequest(std::span<const std::uint8_t> payload);

// A status travels as data, every other reply as text.
std::vector<std::uint8_t> encodeReply(const Reply& reply, Message message);
std::optional<Reply> decodeReply(std::span<const std::uint8_t> payload);

}  // namespace ventoria::ipc
