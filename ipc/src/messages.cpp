#include "ventoria/ipc/messages.h"

#include <array>
#include <nlohmann/json.hpp>

#include "message_pack_shape.h"

namespace ventoria::ipc {
namespace {

using nlohmann::json;

constexpr std::array<std::pair<Message, std::string_view>, 5> kSelectors = {{
    {Message::version, "versionWithReply:"},
    {Message::setFraction, "setFraction:reply:"},
    {Message::setSmart, "setSmart:reply:"},
    {Message::smartStatus, "smartStatusWithReply:"},
    {Message::setAuto, "setAutoWithReply:"},
}};

// A request is a map holding an arguments array; a reply is a flat map. Nothing deeper is ever
// meant, and the parser below recurses once per level.
constexpr int kMaxNesting = 2;

std::optional<json> parse(std::span<const std::uint8_t> payload) {
    if (!shallowMessagePack(payload, kMaxNesting)) return std::nullopt;
    json document = json::from_msgpack(payload.begin(), payload.end(), true, false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    return document;
}

std::optional<std::uint64_t> identifier(const json& object) {
    auto id = object.find("id");
    if (id == object.end() || !id->is_number_unsigned()) return std::nullopt;
    return id->get<std::uint64_t>();
}

std::string bytesToString(const json::binary_t& bytes) {
    return {bytes.begin(), bytes.end()};
}

json::binary_t stringToBytes(const std::string& text) {
    return json::binary_t(std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace

std::string_view selector(Message message) {
    for (const auto& [candidate, name] : kSelectors) {
        if (candidate == message) return name;
    }
    return {};
}

std::vector<std::uint8_t> encodeRequest(const Request& request) {
    json arguments = json::array();
    if (request.message == Message::setFraction) arguments.push_back(request.fraction);
    if (request.message == Message::setSmart) {
        arguments.push_back(json::binary(stringToBytes(request.settings)));
    }
    json document = {
        {"id", request.id}, {"call", std::string(selector(request.message))}, {"args", arguments}};
    return json::to_msgpack(document);
}

std::optional<Request> decodeRequest(std::span<const std::uint8_t> payload) {
    auto object = parse(payload);
    if (!object) return std::nullopt;
    auto id = identifier(*object);
    auto call = object->find("call");
    auto arguments = object->find("args");
    if (!id || call == object->end() || !call->is_string() || arguments == object->end() ||
        !arguments->is_array()) {
        return std::nullopt;
    }
    Request request;
    request.id = *id;
    auto name = call->get<std::string>();
    auto known = std::find_if(kSelectors.begin(), kSelectors.end(),
                              [&](const auto& entry) { return entry.second == name; });
    if (known == kSelectors.end()) return std::nullopt;
    request.message = known->first;
    switch (request.message) {
        case Message::setFraction:
            if (arguments->size() != 1 || !(*arguments)[0].is_number()) return std::nullopt;
            request.fraction = (*arguments)[0].get<double>();
            break;
        case Message::setSmart:
            if (arguments->size() != 1 || !(*arguments)[0].is_binary()) return std::nullopt;
            request.settings = bytesToString((*arguments)[0].get_binary());
            break;
        default:
            if (!arguments->empty()) return std::nullopt;
    }
    return request;
}

std::vector<std::uint8_t> encodeReply(const Reply& reply, Message message) {
    json value = nullptr;
    if (reply.value) {
        value = message == Message::smartStatus ? json::binary(stringToBytes(*reply.value))
                                                : json(*reply.value);
    }
    return json::to_msgpack(json{{"id", reply.id}, {"reply", value}});
}

std::optional<Reply> decodeReply(std::span<const std::uint8_t> payload) {
    auto object = parse(payload);
    if (!object) return std::nullopt;
    auto id = identifier(*object);
    auto value = object->find("reply");
    if (!id || value == object->end()) return std::nullopt;
    Reply reply{*id, std::nullopt};
    if (value->is_string()) {
        reply.value = value->get<std::string>();
    } else if (value->is_binary()) {
        reply.value = bytesToString(value->get_binary());
    } else if (!value->is_null()) {
        return std::nullopt;
    }
    return reply;
}

}  // namespace ventoria::ipc
