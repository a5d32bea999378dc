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
    auto size = kMaxFrameSize + 1;
    EXPECT_FALSE(huge.feed(
        Bytes{static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
              static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)}));
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

TEST(Messages, RepliesCarryTextDataOrNothing) {
    auto text = decodeReply(encodeReply({3, "No fans detected"}, Message::setFraction));
    EXPECT_EQ(text->id, 3u);
    EXPECT_EQ(text->value, "No fans detected");
    auto nil = decodeReply(encodeReply({4, std::nullopt}, Message::smartStatus));
    EXPECT_EQ(nil->value, std::nullopt);
    auto data = decodeReply(encodeReply({5, R"({"phase":"idle"})"}, Message::smartStatus));
    EXPECT_EQ(data->value, R"({"phase":"idle"})");
}

}  // namespace
}  // namespace ventoria::ipc
