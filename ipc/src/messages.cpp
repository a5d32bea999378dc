#include "ventoria/ipc/messages.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "bounded_message_pack.h"

namespace ventoria::ipc {
namespace {

using nlohmann::json;

// A request is a map holding an arguments array; a reply is a flat map. Nothing deeper is ever
// meant.
constexpr int kMaxNesting = 2;

std::optional<json> parse(std::span<const std::uint8_t> payload) {
    return parseMessagePack(payload, kMaxNesting);
}

json::binary_t binary(const std::string& data) {
    return json::binary_t(std::vector<std::uint8_t>(data.begin(), data.end()));
}

std::string text(const json::binary_t& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A value of a JSON document as a reader would name it in an error.
std::string kindOf(const json& value) {
    if (value.is_number()) return "a number";
    if (value.is_binary()) return "binary data";
    if (value.is_null()) return "nil";
    std::string name = value.type_name();
    bool vowel = name.find_first_of("aeiou") == 0;
    return (vowel ? "an " : "a ") + name;
}

// Each argument type: how it is written, and what a reader accepts for it.
json argumentToWire(double value) {
    return value;
}
json argumentToWire(const Bytes& value) {
    return json::binary(binary(value.data));
}

std::optional<std::string> argumentFromWire(const json& value, double& out) {
    if (!value.is_number()) return "a number, not " + kindOf(value);
    out = value.get<double>();
    return std::nullopt;
}
std::optional<std::string> argumentFromWire(const json& value, Bytes& out) {
    if (!value.is_binary()) return "binary data, not " + kindOf(value);
    out.data = text(value.get_binary());
    return std::nullopt;
}

template <typename M>
json argumentsToWire(M message) {
    json arguments = json::array();
    std::apply([&](const auto&... field) { (arguments.push_back(argumentToWire(field)), ...); },
               message.arguments());
    return arguments;
}

// The arguments of `M` read from `arguments`, or what was wrong with them.
template <typename M>
std::variant<M, std::string> argumentsFromWire(const json& arguments) {
    M message;
    auto fields = message.arguments();
    constexpr std::size_t count = std::tuple_size_v<decltype(fields)>;
    if (arguments.size() != count) {
        return std::string(M::selector) + " takes " + std::to_string(count) + " argument" +
               (count == 1 ? "" : "s") + ", not " + std::to_string(arguments.size());
    }
    std::optional<std::string> problem;
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        ((problem = problem ? problem : argumentFromWire(arguments[I], std::get<I>(fields))), ...);
    }
    (std::make_index_sequence<count>());
    if (problem) return std::string(M::selector) + " takes " + *problem;
    return message;
}

// The message named `name`, with its arguments; nothing when no message has that selector.
template <std::size_t... I>
std::optional<std::variant<Message, std::string>> messageNamed(std::string_view name,
                                                               const json& arguments,
                                                               std::index_sequence<I...>) {
    std::optional<std::variant<Message, std::string>> found;
    auto tryOne = [&]<typename M>(std::type_identity<M>) {
        if (found || M::selector != name) return;
        auto decoded = argumentsFromWire<M>(arguments);
        if (auto* message = std::get_if<M>(&decoded)) {
            found = Message(std::move(*message));
        } else {
            found = std::get<std::string>(std::move(decoded));
        }
    };
    (tryOne(std::type_identity<std::variant_alternative_t<I, Message>>()), ...);
    return found;
}

}  // namespace

bool isCommand(const Message& message) {
    return std::visit([](const auto& m) { return Command<std::decay_t<decltype(m)>>; }, message);
}

std::string_view selector(const Message& message) {
    return std::visit([](const auto& m) { return std::decay_t<decltype(m)>::selector; }, message);
}

std::vector<std::uint8_t> encodeRequest(const Request& request) {
    json arguments = std::visit([](const auto& m) { return argumentsToWire(m); }, request.message);
    json document = {
        {"id", request.id}, {"call", std::string(selector(request.message))}, {"args", arguments}};
    return json::to_msgpack(document);
}

std::optional<std::variant<Request, Malformed>> decodeRequest(
    std::span<const std::uint8_t> payload) {
    auto document = parse(payload);
    if (!document || !document->is_object()) return std::nullopt;
    Malformed malformed;
    auto id = document->find("id");
    if (id == document->end() || !id->is_number_unsigned()) {
        std::string given = id == document->end()     ? "none"
                            : id->is_number_integer() ? "a negative number"
                            : id->is_number_float()   ? "a fraction"
                                                      : kindOf(*id);
        malformed.reason = "a request's id is a whole number from 0, not " + given;
        return malformed;
    }
    malformed.id = id->get<std::uint64_t>();
    auto call = document->find("call");
    if (call == document->end() || !call->is_string()) {
        malformed.reason = "a request names its message in \"call\"";
        return malformed;
    }
    auto arguments = document->find("args");
    if (arguments == document->end() || !arguments->is_array()) {
        malformed.reason = "a request carries its arguments in an array \"args\"";
        return malformed;
    }
    auto name = call->get<std::string>();
    auto message =
        messageNamed(name, *arguments, std::make_index_sequence<std::variant_size_v<Message>>());
    if (!message) {
        malformed.reason = "the helper has no message \"" + name + "\"";
        return malformed;
    }
    if (auto* reason = std::get_if<std::string>(&*message)) {
        malformed.reason = std::move(*reason);
        return malformed;
    }
    return Request{malformed.id, std::get<Message>(std::move(*message))};
}

WireValue toWire(const std::string& text) {
    return {WireValue::Kind::text, text};
}

WireValue toWire(const std::optional<std::string>& text) {
    return text ? toWire(*text) : WireValue{};
}

WireValue toWire(const std::optional<Bytes>& data) {
    return data ? WireValue{WireValue::Kind::binary, data->data} : WireValue{};
}

bool fromWire(const WireValue& value, std::string& text) {
    if (value.kind != WireValue::Kind::text) return false;
    text = value.data;
    return true;
}

bool fromWire(const WireValue& value, std::optional<std::string>& text) {
    if (value.kind == WireValue::Kind::binary) return false;
    text.reset();
    if (value.kind == WireValue::Kind::text) text = value.data;
    return true;
}

bool fromWire(const WireValue& value, std::optional<Bytes>& data) {
    if (value.kind == WireValue::Kind::text) return false;
    data.reset();
    if (value.kind == WireValue::Kind::binary) data = Bytes{value.data};
    return true;
}

std::vector<std::uint8_t> encodeReply(const Reply& reply) {
    json document = {{"id", reply.id}};
    if (const auto* problem = std::get_if<NotUnderstood>(&reply.content)) {
        document["error"] = problem->reason;
    } else {
        const auto& value = std::get<WireValue>(reply.content);
        switch (value.kind) {
            case WireValue::Kind::nil:
                document["reply"] = nullptr;
                break;
            case WireValue::Kind::text:
                document["reply"] = value.data;
                break;
            case WireValue::Kind::binary:
                document["reply"] = json::binary(binary(value.data));
                break;
        }
    }
    return json::to_msgpack(document);
}

std::optional<Reply> decodeReply(std::span<const std::uint8_t> payload) {
    auto document = parse(payload);
    if (!document || !document->is_object()) return std::nullopt;
    auto id = document->find("id");
    if (id == document->end() || !id->is_number_unsigned()) return std::nullopt;
    Reply reply{id->get<std::uint64_t>(), WireValue{}};
    auto error = document->find("error");
    auto value = document->find("reply");
    if ((error == document->end()) == (value == document->end())) return std::nullopt;
    if (error != document->end()) {
        if (!error->is_string()) return std::nullopt;
        reply.content = NotUnderstood{error->get<std::string>()};
    } else if (value->is_string()) {
        reply.content = WireValue{WireValue::Kind::text, value->get<std::string>()};
    } else if (value->is_binary()) {
        reply.content = WireValue{WireValue::Kind::binary, text(value->get_binary())};
    } else if (!value->is_null()) {
        return std::nullopt;
    }
    return reply;
}

}  // namespace ventoria::ipc
