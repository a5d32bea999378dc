#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/messages.h"
#include "ventoria/ipc/protocol.h"

namespace ventoria::ipc {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Framing, PayloadsSurviveArbitraryPieces) {
    Bytes stream;
    for (const Bytes& payload : {Bytes{1}, Bytes(300, 7), Bytes{9, 8, 7}}) {
        auto framed = frame(payload);
        stream.insert(stream.end(), framed.begin(), framed.end());
    }
    FrameReader reader;
    for (auto byte : stream) ASSERT_TRUE(reader.feed(std::span(&byte, 1)));
    EXPECT_EQ(reader.next(), Bytes{1});
    EXPECT_EQ(reader.next(), Bytes(300, 7));
    EXPECT_EQ(reader.next(), (Bytes{9, 8, 7}));
    EXPECT_EQ(reader.next(), std::nullopt);
}

TEST(Framing, EmptyAndOversizedFramesBreakTheStream) {
    FrameReader empty;
    EXPECT_FALSE(empty.feed(Bytes{0, 0, 0, 0}));
    EXPECT_FALSE(empty.feed(frame(Bytes{1})));  // broken for good
    FrameReader huge;
    std::uint32_t size = 8193;  // one byte over the 8 KiB a peer may send
    EXPECT_FALSE(huge.feed(
        Bytes{static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
              static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)}));
}

// The cap is what a peer may rely on: 8 KiB of payload, not a byte more.
TEST(Framing, AFrameMayCarryEightKibibytes) {
    FrameReader largest;
    EXPECT_TRUE(largest.feed(frame(Bytes(8192, 1))));
    EXPECT_EQ(largest.next(), Bytes(8192, 1));
    FrameReader larger;
    EXPECT_FALSE(larger.feed(Bytes{0, 0, 0x20, 0x01}));
}

TEST(Framing, APartialFrameIsToldApartFromAWaitingOne) {
    FrameReader reader;
    auto framed = frame(Bytes{1, 2, 3});
    EXPECT_TRUE(reader.feed(std::span(framed.data(), 5)));
    EXPECT_TRUE(reader.partial());
    EXPECT_FALSE(reader.hasPayload());
    EXPECT_TRUE(reader.feed(std::span(framed.data() + 5, framed.size() - 5)));
    EXPECT_FALSE(reader.partial());
    EXPECT_TRUE(reader.hasPayload());
    EXPECT_EQ(reader.completed(), 1u);
}

TEST(Messages, RequestsRoundTripWithExactArguments) {
    Request fraction{7, Message::setFraction, std::nan(""), {}};
    auto decoded = decodeRequest(encodeRequest(fraction));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->id, 7u);
    EXPECT_EQ(decoded->message, Message::setFraction);
    EXPECT_TRUE(std::isnan(decoded->fraction));

    std::string notJson = "\xff\x00{";
    notJson.push_back('\0');
    auto smart = decodeRequest(encodeRequest({8, Message::setSmart, 0, notJson}));
    ASSERT_TRUE(smart);
    EXPECT_EQ(smart->settings, notJson);
    EXPECT_EQ(selector(Message::smartStatus), "smartStatusWithReply:");
}

TEST(Messages, AnythingButAWellFormedKnownRequestIsRefused) {
    using nlohmann::json;
    auto pack = [](const json& document) { return json::to_msgpack(document); };
    EXPECT_FALSE(decodeRequest(Bytes{0xC1, 0x00}));
    EXPECT_FALSE(
        decodeRequest(pack({{"id", 1}, {"call", "eraseDisk:reply:"}, {"args", json::array()}})));
    EXPECT_FALSE(
        decodeRequest(pack({{"id", 1}, {"call", "setFraction:reply:"}, {"args", {"1.0"}}})));
    EXPECT_FALSE(
        decodeRequest(pack({{"id", 1}, {"call", "setFraction:reply:"}, {"args", json::array()}})));
    EXPECT_FALSE(decodeRequest(pack({{"id", 1}, {"call", "setSmart:reply:"}, {"args", {"{}"}}})));
    EXPECT_FALSE(
        decodeRequest(pack({{"id", -1}, {"call", "setAutoWithReply:"}, {"args", json::array()}})));
    EXPECT_FALSE(decodeRequest(pack({{"id", 1}, {"call", "setAutoWithReply:"}, {"args", {1}}})));
    EXPECT_FALSE(decodeRequest(pack({1, 2, 3})));
    EXPECT_TRUE(decodeRequest(pack({{"id", 1}, {"call", "setFraction:reply:"}, {"args", {1}}})));
}

// Nesting is refused before the recursive parser sees it, so no message chooses the depth of
// the reader's stack; a request's own two levels, and a string of any content, still pass.
TEST(Messages, DeepNestingIsRefusedWithoutRecursion) {
    Bytes deep(65535, 0x91);
    deep.push_back(0xC0);
    EXPECT_FALSE(decodeRequest(deep));
    EXPECT_FALSE(decodeReply(deep));

    using nlohmann::json;
    auto request = [](const json& args) {
        return json::to_msgpack({{"id", 1}, {"call", "setFraction:reply:"}, {"args", args}});
    };
    EXPECT_TRUE(decodeRequest(request({0.5})));
    EXPECT_FALSE(decodeRequest(request(json::array({json::array({0.5})}))));
    EXPECT_FALSE(decodeRequest(request({{{"a", 1}}})));
    std::string lookalike(600, '\x91');
    EXPECT_TRUE(decodeRequest(encodeRequest({2, Message::setSmart, 0, lookalike})));

    auto valid = request({0.5});
    for (std::size_t cut = 0; cut < valid.size(); ++cut) {
        EXPECT_FALSE(decodeRequest(std::span(valid.data(), cut))) << cut;
    }
    auto trailing = valid;
    trailing.push_back(0xC0);
    EXPECT_FALSE(decodeRequest(trailing));
    // A count larger than the bytes that follow could never be met.
    EXPECT_FALSE(decodeRequest(Bytes{0xDD, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0}));
}

TEST(Messages, RepliesCarryTextDataOrNothing) {
    auto text = decodeReply(encodeReply({3, "No fans detected"}, Message::setFraction));
    EXPECT_EQ(text->id, 3u);
    EXPECT_EQ(text->value, "No fans detected");
    auto nil = decodeReply(encodeReply({4, std::nullopt}, Message::smartStatus));
    EXPECT_EQ(nil->value, std::nullopt);
    auto data = decodeReply(encodeReply({5, R"({"phase":"idle"})"}, Message::smartStatus));
    EXPECT_EQ(data->value, R"({"phase":"idle"})");
}

// What a peer of another build reads: a map of "id" and "reply", the reply a MessagePack
// string for text, binary for a status, nil for nothing.
TEST(Messages, EachReplyHasItsWireType) {
    const Bytes head{0x82, 0xA2, 'i', 'd', 0x07, 0xA5, 'r', 'e', 'p', 'l', 'y'};
    auto with = [&](Bytes tail) {
        Bytes bytes = head;
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    EXPECT_EQ(encodeReply({7, "3"}, Message::version), with({0xA1, '3'}));
    EXPECT_EQ(encodeReply({7, "No"}, Message::setFraction), with({0xA2, 'N', 'o'}));
    EXPECT_EQ(encodeReply({7, std::nullopt}, Message::setAuto), with({0xC0}));
    EXPECT_EQ(encodeReply({7, "{}"}, Message::smartStatus), with({0xC4, 0x02, '{', '}'}));
}

}  // namespace
}  // namespace ventoria::ipc
