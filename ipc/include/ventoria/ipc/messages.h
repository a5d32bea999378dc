#pragma once
// The helper protocol's messages, each described once: its selector, its arguments and the
// type of its reply. Encoding, decoding, the helper's dispatch and the clients are all driven
// by these descriptions, so a new message is a struct here, its place in `Message`, and its
// handler in the service (which the compiler then asks for).
//
// On the wire each frame holds one MessagePack map. A request names its message by selector
// and carries an id; the reply carries the same id, so replies on one connection may come back
// in any order. MessagePack keeps doubles exact (NaN included) and carries binary data as the
// bytes the client sent.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

namespace ventoria::ipc {

// Binary data, carried byte for byte: the Smart records' JSON.
struct Bytes {
    std::string data;
    bool operator==(const Bytes&) const = default;
};

// What a command answers: nothing when it was carried out, the reason when it was refused.
using Outcome = std::optional<std::string>;

struct Version {
    static constexpr std::string_view selector = "versionWithReply:";
    using Reply = std::string;  // the protocol version
    auto arguments() { return std::tie(); }
};

struct SetFraction {
    static constexpr std::string_view selector = "setFraction:reply:";
    using Reply = Outcome;
    double fraction = 0;  // of each fan's maximum
    auto arguments() { return std::tie(fraction); }
};

struct SetSmart {
    static constexpr std::string_view selector = "setSmart:reply:";
    using Reply = Outcome;
    Bytes settings;  // the JSON of the Smart settings, as the client wrote it
    auto arguments() { return std::tie(settings); }
};

struct SmartStatus {
    static constexpr std::string_view selector = "smartStatusWithReply:";
    using Reply = std::optional<Bytes>;  // the status's JSON; nothing while Smart is not running
    auto arguments() { return std::tie(); }
};

struct SetAuto {
    static constexpr std::string_view selector = "setAutoWithReply:";
    using Reply = Outcome;
    auto arguments() { return std::tie(); }
};

using Message = std::variant<Version, SetFraction, SetSmart, SmartStatus, SetAuto>;

// A command changes the fans and answers with an Outcome; the others answer what was asked.
template <typename M>
concept Command = std::is_same_v<typename M::Reply, Outcome>;
bool isCommand(const Message& message);
std::string_view selector(const Message& message);

struct Request {
    std::uint64_t id = 0;
    Message message;
};

// A frame that was sound MessagePack but no request a client of ours would send. It is
// answered with the reason, under its id when it had a usable one (else 0).
struct Malformed {
    std::uint64_t id = 0;
    std::string reason;
};

// The reply to a Malformed request: what was wrong with it.
struct NotUnderstood {
    std::string reason;
    bool operator==(const NotUnderstood&) const = default;
};

std::vector<std::uint8_t> encodeRequest(const Request& request);
// A request; Malformed for a map that is not one; nothing for a payload that is not even
// MessagePack of the protocol's shape (the peer is broken, and the connection ends).
std::optional<std::variant<Request, Malformed>> decodeRequest(
    std::span<const std::uint8_t> payload);

// A reply's value as it crosses the wire: nil, a MessagePack string, or binary.
struct WireValue {
    enum class Kind { nil, text, binary };
    Kind kind = Kind::nil;
    std::string data;
    bool operator==(const WireValue&) const = default;
};

WireValue toWire(const std::string& text);
WireValue toWire(const std::optional<std::string>& text);
WireValue toWire(const std::optional<Bytes>& data);
// The reply value of the type its message declares; false when the wire held another type.
bool fromWire(const WireValue& value, std::string& text);
bool fromWire(const WireValue& value, std::optional<std::string>& text);
bool fromWire(const WireValue& value, std::optional<Bytes>& data);

// What the helper answers to one request: the value its message declares, or, for a
// Malformed request, the reason it was not understood.
using ReplyContent = std::variant<WireValue, NotUnderstood>;
struct Reply {
    std::uint64_t id = 0;
    ReplyContent content;
};

std::vector<std::uint8_t> encodeReply(const Reply& reply);
// Nothing for a payload that is not a reply: the peer is not the helper.
std::optional<Reply> decodeReply(std::span<const std::uint8_t> payload);

}  // namespace ventoria::ipc
