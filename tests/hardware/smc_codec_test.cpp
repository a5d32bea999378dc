#include "ventoria/hardware/smc_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "ventoria/hardware/smc_encode.h"

namespace ventoria::hardware {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(KeyCodes, FourCharactersMakeABigEndianCode) {
    EXPECT_EQ(fourCharCode("FNum"), 0x464E756Du);
    EXPECT_EQ(fourCharCode("#KEY"), 0x234B4559u);
    EXPECT_EQ(fourCharCode("AB"), 0x4142u);                  // no fill for short keys
    EXPECT_EQ(fourCharCode("F10Ac"), fourCharCode("F10A"));  // bytes past the fourth ignored
}

TEST(KeyCodes, CodesReadBackAsText) {
    EXPECT_EQ(keyString(0x464E756D), "FNum");
    EXPECT_EQ(keyString(fourCharCode("FS! ")), "FS! ");
    EXPECT_EQ(keyString(0x80414243), "");  // not ASCII
}

TEST(Decode, EachTypeReadsItsBytes) {
    EXPECT_DOUBLE_EQ(decode(Bytes{0x01, 0x90}, "fpe2"), 100.0);
    EXPECT_DOUBLE_EQ(decode(Bytes{0x00, 0x00, 0x36, 0x42}, "flt "), 45.5);
    EXPECT_DOUBLE_EQ(decode(Bytes{0xC8}, "ui8 "), 200.0);
    EXPECT_DOUBLE_EQ(decode(Bytes{0x01}, "flag"), 1.0);
    EXPECT_DOUBLE_EQ(decode(Bytes{0x12, 0x34}, "ui16"), 0x1234);
    EXPECT_DOUBLE_EQ(decode(Bytes{0xDE, 0xAD, 0xBE, 0xEF}, "ui32"), 0xDEADBEEF);
    EXPECT_DOUBLE_EQ(decode(Bytes{0xFE}, "si8 "), -2.0);
    EXPECT_DOUBLE_EQ(decode(Bytes{0xFF, 0x00}, "si16"), -256.0);
}

TEST(Decode, SignedFixedPointTemperatures) {
    EXPECT_DOUBLE_EQ(decode(Bytes{0x3C, 0x80}, "sp78"), 60.5);
    EXPECT_DOUBLE_EQ(decode(Bytes{0xFF, 0x00}, "sp78"), -1.0);
    EXPECT_DOUBLE_EQ(decode(Bytes{0x00}, "sp78"), 0.0);
}

TEST(Decode, UnknownTypesAndShortDataGiveZero) {
    EXPECT_EQ(decode(Bytes{0x01, 0x02, 0x03}, "ui32"), 0.0);
    EXPECT_EQ(decode(Bytes{0x01, 0x02}, "ch8*"), 0.0);
    EXPECT_EQ(decode(Bytes{0x01, 0x02}, "flt"), 0.0);  // types match exactly, blanks included
    EXPECT_EQ(decode(Bytes{}, "ui8 "), 0.0);
}

TEST(Encode, EachTypeWritesItsBytes) {
    EXPECT_EQ(encode(100.0, "fpe2", 2), (Bytes{0x01, 0x90}));
    EXPECT_EQ(encode(45.5, "flt ", 4), (Bytes{0x00, 0x00, 0x36, 0x42}));
    EXPECT_EQ(encode(0x1234, "ui16", 2), (Bytes{0x12, 0x34}));
    EXPECT_EQ(encode(0xDEADBEEF, "ui32", 4), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(encode(1, "flag", 1), (Bytes{0x01}));
    EXPECT_EQ(encode(2500.75, "fpe2", 2), (Bytes{0x27, 0x13}));           // 10003 quarters
    EXPECT_DOUBLE_EQ(decode(encode(2500.6, "fpe2", 2), "fpe2"), 2500.5);  // quarter steps
}

TEST(Encode, ClampsInsteadOfFailing) {
    EXPECT_EQ(encode(-5, "ui16", 2), (Bytes{0x00, 0x00}));
    EXPECT_EQ(encode(300, "ui8 ", 2), (Bytes{0xFF, 0x00}));
    EXPECT_EQ(encode(70000, "ui16", 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(encode(1e12, "ui32", 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(encode(3.9, "ui8 ", 1), (Bytes{0x03}));  // truncated toward zero
    // A size is the SMC's word, and no write carries more than the record's 32 bytes.
    EXPECT_EQ(encode(1, "ui8 ", 0xFFFFFFFF).size(), 32u);
}

TEST(Encode, ValuesThatAreNoNumberDoNotCrash) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(encode(kNaN, "ui16", 2), (Bytes{0x00, 0x00}));
    EXPECT_EQ(encode(kInfinity, "fpe2", 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(encode(-kInfinity, "ui8 ", 1), (Bytes{0x00}));
    EXPECT_TRUE(std::isinf(decode(encode(kInfinity, "flt ", 4), "flt ")));
    EXPECT_EQ(decode(encode(1e300, "flt ", 4), "flt "), std::numeric_limits<float>::max());
}

}  // namespace
}  // namespace ventoria::hardware
