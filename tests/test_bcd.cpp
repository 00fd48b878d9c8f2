// Packed BCD both ways, and the rule that turns a pin value into a byte.
#include <cmath>
#include <limits>

#include "rtc/bcd.h"
#include "tests/support.h"

namespace {

TEST(Bcd, EveryTwoDigitValueIsItsDigitsAsHexDigits) {
    for (int v = 0; v <= 99; ++v) {
        EXPECT_EQ(decimal_vers_bcd(static_cast<std::uint8_t>(v)), (v / 10) * 16 + v % 10) << v;
    }
}

TEST(Bcd, ValuesPastNinetyNineRunPastNineInTheHighDigitAndWrap) {
    EXPECT_EQ(decimal_vers_bcd(100), 0xA0);
    EXPECT_EQ(decimal_vers_bcd(159), 0xF9);
    EXPECT_EQ(decimal_vers_bcd(160), 0x00);
    EXPECT_EQ(decimal_vers_bcd(255), 0x95);
}

TEST(Bcd, DecodingWeighsTheHighNibbleByTenAndChecksNoDigit) {
    EXPECT_EQ(bcd_vers_decimal(0x59), 59.0);
    EXPECT_EQ(bcd_vers_decimal(0x80), 80.0);
    EXPECT_EQ(bcd_vers_decimal(0x1A), 20.0);
    EXPECT_EQ(bcd_vers_decimal(0xFF), 165.0);
    for (int b = 0; b <= 255; ++b) {
        const double v = bcd_vers_decimal(static_cast<std::uint8_t>(b));
        EXPECT_GE(v, 0.0);
        EXPECT_LE(v, 165.0);
    }
}

TEST(Bcd, RoundTripHoldsUpTo159Only) {
    for (int v = 0; v <= 159; ++v) {
        EXPECT_EQ(bcd_vers_decimal(decimal_vers_bcd(static_cast<std::uint8_t>(v))), v) << v;
    }
    EXPECT_EQ(bcd_vers_decimal(decimal_vers_bcd(160)), 0.0);
}

TEST(PinValueToByte, TruncatesTowardZeroAndKeepsTheLowByte) {
    EXPECT_EQ(octet_de_broche(30.9), 30);
    EXPECT_EQ(octet_de_broche(59.9), 59);
    EXPECT_EQ(octet_de_broche(-0.9), 0);
    EXPECT_EQ(octet_de_broche(-1.0), 255);
    EXPECT_EQ(octet_de_broche(-1.5), 255);
    EXPECT_EQ(octet_de_broche(300.0), 44);
    EXPECT_EQ(octet_de_broche(32767.9), 255);
    EXPECT_EQ(octet_de_broche(-32768.0), 0);
    EXPECT_EQ(octet_de_broche(-32768.9), 0);
    EXPECT_EQ(octet_de_broche(-32767.0), 1);
}

TEST(PinValueToByte, OutsideSixteenBitsNanAndInfinitiesGiveZero) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    for (double v : {32768.0, 1.0e6, -32769.0, -1.0e300, 1.0e300, inf, -inf,
                     std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::lowest()}) {
        EXPECT_EQ(octet_de_broche(v), 0) << v;
    }
}

TEST(PinValueToByte, MatchesTheSixteenBitRuleAcrossItsRange) {
    for (int v = -32768; v <= 32767; v += 7) {
        const auto expected = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) & 0xFF);
        EXPECT_EQ(octet_de_broche(v + (v >= 0 ? 0.5 : -0.5)), expected) << v;
    }
}

}  // namespace
