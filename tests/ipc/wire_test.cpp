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

// The request of a well-formed frame, or a failed assertion.
Request request(std::span<const std::uint8_t> payload) {
    auto decoded = decodeRequest(payload);
    if (!decoded || !std::holds_alternative<Request>(*decoded)) {
        ADD_FAILURE() << "not a request";
        return {};
    }
    return std::get<Request>(*decoded);
}

// Why a sound frame was refused, or "" when it was taken (or was not even sound).
std::string refusal(std::span<const std::uint8_t> payload) {
    auto decoded = decodeRequest(payload);
    if (!decoded || !std::holds_alternative<Malformed>(*decoded)) return "";
    return std::get<Malformed>(*decoded).reason;
}

TEST(Messages, RequestsRoundTripWithExactArguments) {
    auto fraction = request(encodeRequest({7, SetFraction{std::nan("")}}));
    EXPECT_EQ(fraction.id, 7u);
    ASSERT_TRUE(std::holds_alternative<SetFraction>(fraction.message));
    EXPECT_TRUE(std::isnan(std::get<SetFraction>(fraction.message).fraction));

    std::string notJson = "\xff\x00{";
    notJson.push_back('\0');
    auto smart = request(encodeRequest({8, SetSmart{{notJson}}}));
    ASSERT_TRUE(std::holds_alternative<SetSmart>(smart.message));
    EXPECT_EQ(std::get<SetSmart>(smart.message).settings.data, notJson);
    EXPECT_EQ(selector(Message(SmartStatus{})), "smartStatusWithReply:");
    EXPECT_TRUE(isCommand(Message(SetAuto{})));
    EXPECT_FALSE(isCommand(Message(Version{})));
}

// A frame that is sound MessagePack but no request of ours is answered with what was wrong
// (under its id where it had one); what is not even sound MessagePack ends the connection.
TEST(Messages, ASoundFrameThatIsNoRequestIsToldWhy) {
    using nlohmann::json;
    auto pack = [](const json& document) { return json::to_msgpack(document); };
    EXPECT_FALSE(decodeRequest(Bytes{0xC1, 0x00}));
    EXPECT_FALSE(decodeRequest(pack({1, 2, 3})));  // not a map
    const std::pair<json, const char*> cases[] = {
        {{{"id", 1}, {"call", "eraseDisk:reply:"}, {"args", json::array()}},
         "the helper has no message \"eraseDisk:reply:\""},
        {{{"id", 1}, {"call", "setFraction:reply:"}, {"args", {"1.0"}}},
         "setFraction:reply: takes a number, not a string"},
        {{{"id", 1}, {"call", "setFraction:reply:"}, {"args", {true}}},
         "setFraction:reply: takes a number, not a boolean"},
        {{{"id", 1}, {"call", "setFraction:reply:"}, {"args", json::array()}},
         "setFraction:reply: takes 1 argument, not 0"},
        {{{"id", 1}, {"call", "setSmart:reply:"}, {"args", {"{}"}}},
         "setSmart:reply: takes binary data, not a string"},
        {{{"id", -1}, {"call", "setAutoWithReply:"}, {"args", json::array()}},
         "a request's id is a whole number from 0, not a negative number"},
        {{{"id", "7"}, {"call", "setAutoWithReply:"}, {"args", json::array()}},
         "a request's id is a whole number from 0, not a string"},
        {{{"id", 1}, {"call", "setAutoWithReply:"}, {"args", {1}}},
         "setAutoWithReply: takes 0 arguments, not 1"},
        {{{"id", 1}, {"call", 5}, {"args", json::array()}},
         "a request names its message in \"call\""},
        {{{"id", 1}, {"call", "setAutoWithReply:"}},
         "a request carries its arguments in an array \"args\""},
    };
    for (const auto& [document, reason] : cases) {
        EXPECT_EQ(refusal(pack(document)), reason) << document.dump();
    }
    auto wrong = decodeRequest(pack({{"id", 9}, {"call", "setFraction:reply:"}, {"args", {true}}}));
    EXPECT_EQ(std::get<Malformed>(*wrong).id, 9u);  // answered where the client will look
    auto fine = request(pack({{"id", 1}, {"call", "setFraction:reply:"}, {"args", {1}}}));
    EXPECT_EQ(std::get<SetFraction>(fine.message).fraction, 1.0);
}

// The reader stops at the first level deeper than a request's own two, so no message chooses
// the depth of its stack; those two levels, and a string of any content, still pass.
TEST(Messages, DeepNestingIsRefusedAtTheFirstLevelTooDeep) {
    Bytes deep(65535, 0x91);
    deep.push_back(0xC0);
    EXPECT_FALSE(decodeRequest(deep));
    EXPECT_FALSE(decodeReply(deep));

    using nlohmann::json;
    auto pack = [](const json& args) {
        return json::to_msgpack({{"id", 1}, {"call", "setFraction:reply:"}, {"args", args}});
    };
    request(pack({0.5}));
    EXPECT_FALSE(decodeRequest(pack(json::array({json::array({0.5})}))));
    EXPECT_FALSE(decodeRequest(pack({{{"a", 1}}})));
    std::string lookalike(600, '\x91');
    request(encodeRequest({2, SetSmart{{lookalike}}}));

    auto valid = pack({0.5});
    for (std::size_t cut = 0; cut < valid.size(); ++cut) {
        EXPECT_FALSE(decodeRequest(std::span(valid.data(), cut))) << cut;
    }
    auto trailing = valid;
    trailing.push_back(0xC0);
    EXPECT_FALSE(decodeRequest(trailing));
    // A count larger than the bytes that follow could never be met.
    EXPECT_FALSE(decodeRequest(Bytes{0xDD, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0}));
}

TEST(Messages, EachReplyTypeReadsOnlyWhatItsMessageDeclares) {
    auto decoded = decodeReply(encodeReply({3, toWire(Outcome("No fans detected"))}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->id, 3u);
    auto value = std::get<WireValue>(decoded->content);
    Outcome refusal;
    ASSERT_TRUE(fromWire(value, refusal));
    EXPECT_EQ(refusal, "No fans detected");
    std::optional<ipc::Bytes> status;
    EXPECT_FALSE(fromWire(value, status));  // text is no status

    auto data = std::get<WireValue>(
        decodeReply(
            encodeReply({5, toWire(std::optional<ipc::Bytes>(ipc::Bytes{R"({"phase":"idle"})"}))}))
            ->content);
    ASSERT_TRUE(fromWire(data, status));
    EXPECT_EQ(status->data, R"({"phase":"idle"})");
    EXPECT_FALSE(fromWire(data, refusal));  // data is no refusal
    std::string version;
    EXPECT_FALSE(fromWire(WireValue{}, version));  // a version is never nothing
    ASSERT_TRUE(fromWire(WireValue{}, status));
    EXPECT_EQ(status, std::nullopt);

    auto problem = decodeReply(encodeReply({6, NotUnderstood{"bad"}}));
    EXPECT_EQ(std::get<NotUnderstood>(problem->content).reason, "bad");
}

// What a peer of another build reads: a map of "id" and "reply", the reply a MessagePack
// string for text, binary for a status, nil for nothing; or "error" for a request that was
// not understood.
TEST(Messages, EachReplyHasItsWireType) {
    auto with = [](const char* field, Bytes tail) {
        Bytes bytes{0x82, 0xA2, 'i', 'd', 0x07};
        std::string name = field;
        bytes.push_back(static_cast<std::uint8_t>(0xA0 | name.size()));
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    EXPECT_EQ(encodeReply({7, toWire(std::string("3"))}), with("reply", {0xA1, '3'}));
    EXPECT_EQ(encodeReply({7, toWire(Outcome("No"))}), with("reply", {0xA2, 'N', 'o'}));
    EXPECT_EQ(encodeReply({7, toWire(Outcome())}), with("reply", {0xC0}));
    EXPECT_EQ(encodeReply({7, toWire(std::optional<ipc::Bytes>(ipc::Bytes{"{}"}))}),
              with("reply", {0xC4, 0x02, '{', '}'}));
    EXPECT_EQ(encodeReply({7, NotUnderstood{"x"}}),
              (Bytes{0x82, 0xA5, 'e', 'r', 'r', 'o', 'r', 0xA1, 'x', 0xA2, 'i', 'd', 0x07}));
    EXPECT_FALSE(decodeReply(with("other", {0xC0})));
}

}  // namespace
}  // namespace ventoria::ipc
