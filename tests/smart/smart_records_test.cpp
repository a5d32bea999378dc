#include "ventoria/smart/smart_records.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace ventoria::smart {
namespace {

using nlohmann::json;

TEST(SmartSettingsJson, EncodesExactlyItsTwoKeysAndReadsBack) {
    SmartSettings settings{30, Aggressiveness::aggressive};
    auto text = encode(settings);
    ASSERT_TRUE(text);
    EXPECT_EQ(json::parse(*text), (json{{"minimum", 30}, {"aggressiveness", "aggressive"}}));
    EXPECT_EQ(decodeSmartSettings(*text), settings);
}

TEST(SmartSettingsJson, DecodingIsStrict) {
    const char* refused[] = {
        R"({"minimum": 30, "aggressiveness": "Normal"})",
        R"({"minimum": 30, "aggressiveness": "max"})",
        R"({"minimum": 30, "aggressiveness": " normal"})",
        R"({"minimum": 30, "aggressiveness": null})",
        R"({"minimum": 30})",
        R"({"aggressiveness": "normal"})",
        R"({"minimum": 12.5, "aggressiveness": "normal"})",
        R"({"minimum": "30", "aggressiveness": "normal"})",
        R"({"minimum": true, "aggressiveness": "normal"})",
        R"({"minimum": 9223372036854775808, "aggressiveness": "normal"})",
        R"({"minimum": 1e19, "aggressiveness": "normal"})",
        R"([30, "normal"])",
        R"("normal")",
        R"({"minimum": 30, "aggressiveness": "normal"} trailing)",
        "\xff\xfe not json",
        "",
    };
    for (const char* text : refused) EXPECT_EQ(decodeSmartSettings(text), std::nullopt) << text;
}

TEST(SmartSettingsJson, AcceptsWhatTheRecordAllows) {
    EXPECT_EQ(decodeSmartSettings(R"({"minimum": -5, "aggressiveness": "gentle", "version": 2})"),
              (SmartSettings{-5, Aggressiveness::gentle}));
    EXPECT_EQ(decodeSmartSettings(R"({"aggressiveness": "normal", "minimum": 150})"),
              (SmartSettings{150, Aggressiveness::normal}));
    EXPECT_EQ(decodeSmartSettings(R"({"minimum": 30.0, "aggressiveness": "normal"})"),
              (SmartSettings{30, Aggressiveness::normal}));
    EXPECT_EQ(
        decodeSmartSettings(R"({"minimum": -9223372036854775808, "aggressiveness": "normal"})")
            ->minimum,
        INT64_MIN);
}

// Room for keys a newer application adds, up to 4 KiB in all; a larger record is invalid.
TEST(SmartSettingsJson, ReadsRecordsOfUpToFourKibibytes) {
    auto padded = [](std::size_t size) {
        std::string head = R"({"minimum": 30, "aggressiveness": "normal", "note": ")";
        std::string tail = R"("})";
        return head + std::string(size - head.size() - tail.size(), 'x') + tail;
    };
    EXPECT_EQ(decodeSmartSettings(padded(4096)), (SmartSettings{30, Aggressiveness::normal}));
    EXPECT_EQ(decodeSmartSettings(padded(4097)), std::nullopt);
}

TEST(SmartStatusJson, SaysSoOnlyWhenTheChipCannotBeRead) {
    SmartStatus blind{Phase::idle, SmartDriver::none, 0, 0, true};
    EXPECT_EQ(json::parse(*encode(blind)), (json{{"phase", "idle"},
                                                 {"driver", "none"},
                                                 {"level", 0},
                                                 {"cooldown", 0},
                                                 {"chipUnreadable", true}}));
    EXPECT_EQ(decodeSmartStatus(*encode(blind)), blind);
    EXPECT_EQ(json::parse(*encode(SmartStatus{})).count("chipUnreadable"), 0u);
    EXPECT_EQ(decodeSmartStatus(
                  R"({"phase":"idle","driver":"none","level":0,"cooldown":0,"chipUnreadable":1})"),
              std::nullopt);
}

TEST(SmartStatusJson, RoundTripsAndRefusesWhatItCannotCarry) {
    SmartStatus status{Phase::cooldown, SmartDriver::none, 0.42, 37};
    auto text = encode(status);
    ASSERT_TRUE(text);
    EXPECT_EQ(json::parse(*text),
              (json{{"phase", "cooldown"}, {"driver", "none"}, {"level", 0.42}, {"cooldown", 37}}));
    EXPECT_EQ(decodeSmartStatus(*text), status);
    EXPECT_EQ(encode(SmartStatus{Phase::boost, SmartDriver::chip, std::nan(""), 0}), std::nullopt);
    EXPECT_EQ(decodeSmartStatus(R"({"phase": "idle", "driver": "none", "level": 0})"),
              std::nullopt);
    EXPECT_EQ(
        decodeSmartStatus(R"({"phase": "idle", "driver": "none", "level": "0", "cooldown": 0})"),
        std::nullopt);
    EXPECT_EQ(decodeSmartStatus(R"({"phase": "idle", "driver": "none", "level": 1, "cooldown": 0})")
                  ->level,
              1.0);
}

TEST(SmartEnumerations, RawValuesAndOrder) {
    EXPECT_EQ(kAllAggressiveness[0], Aggressiveness::gentle);
    EXPECT_EQ(kAllAggressiveness[2], Aggressiveness::aggressive);
    // The names stored settings and the helper's status carry: written out, since a round
    // trip through one table would pass with any names at all.
    const std::pair<Aggressiveness, const char*> aggressiveness[] = {
        {Aggressiveness::gentle, "gentle"},
        {Aggressiveness::normal, "normal"},
        {Aggressiveness::aggressive, "aggressive"}};
    for (auto [value, name] : aggressiveness) EXPECT_EQ(rawValue(value), name);
    const std::pair<SmartDriver, const char*> drivers[] = {{SmartDriver::none, "none"},
                                                           {SmartDriver::chip, "chip"},
                                                           {SmartDriver::chassis, "chassis"},
                                                           {SmartDriver::minimum, "minimum"},
                                                           {SmartDriver::safety, "safety"}};
    for (auto [driver, name] : drivers) {
        EXPECT_EQ(rawValue(driver), name);
        EXPECT_EQ(smartDriverFromRaw(name), driver);
    }
    const std::pair<Phase, const char*> phases[] = {{Phase::idle, "idle"},
                                                    {Phase::cooldown, "cooldown"},
                                                    {Phase::boost, "boost"},
                                                    {Phase::safety, "safety"}};
    for (auto [phase, name] : phases) {
        EXPECT_EQ(rawValue(phase), name);
        EXPECT_EQ(phaseFromRaw(name), phase);
    }
}

}  // namespace
}  // namespace ventoria::smart
