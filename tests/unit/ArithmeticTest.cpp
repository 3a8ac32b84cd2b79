#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "base/Arithmetic.h"

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(base::roundHalfEven(7.5), 8);
    EXPECT_EQ(base::roundHalfEven(8.5), 8);
    EXPECT_EQ(base::roundHalfEven(-0.5), 0);
    EXPECT_EQ(base::roundHalfEven(-1.5), -2);
    EXPECT_EQ(base::roundHalfEven(24.5), 24);
    EXPECT_EQ(base::roundHalfEven(25.5), 26);
    EXPECT_EQ(base::roundHalfEven(2.4999), 2);
    EXPECT_EQ(base::roundHalfEven(2.5001), 3);
}

}  // namespace

namespace {

TEST(TwipsAndPixels, PixelsAreTwipsOverFifteenRoundedHalfToEven) {
    EXPECT_EQ(base::twipsToPixels(112.5f), 8);  // 7.5
    EXPECT_EQ(base::twipsToPixels(127.5f), 8);  // 8.5
    EXPECT_EQ(base::twipsToPixels(142.5f), 10);  // 9.5
    EXPECT_EQ(base::twipsToPixels(119.0f), 8);
    EXPECT_EQ(base::twipsToPixels(0.0f), 0);
    EXPECT_EQ(base::twipsToPixels(-22.5f), -2);  // -1.5
    EXPECT_EQ(base::twipsToPixels(75000.0f), 5000);
}

TEST(TwipsAndPixels, TwipsAreFifteenPerPixelWhateverTheDisplay) {
    EXPECT_FLOAT_EQ(base::pixelsToTwips(216), 3240.0f);
    EXPECT_FLOAT_EQ(base::pixelsToTwips(-100), -1500.0f);
    // Beyond 2184 pixels the twips no longer fit 16 bits; they must still convert.
    EXPECT_FLOAT_EQ(base::pixelsToTwips(5000), 75000.0f);
    for (std::int32_t px : {0, 1, 7, 2184, 2185, 32767, 65535}) EXPECT_EQ(base::twipsToPixels(base::pixelsToTwips(px)), px);
}

TEST(TwipsAndPixels, TwipsBeyond32BitsAreAnError) {
    EXPECT_THROW(base::pixelsToTwips(143165577), base::OverflowError);  // * 15 > 2^31 - 1
    EXPECT_NO_THROW(base::pixelsToTwips(143165576));
}

TEST(CheckedArithmetic, SixteenBitMultiplicationOverflowThrows) {
    EXPECT_EQ(base::mul16(2, 18), 36);
    EXPECT_EQ(base::mul16(-128, 256), -32768);
    EXPECT_THROW(base::mul16(128, 256), base::OverflowError);
    EXPECT_THROW(base::mul16(-32768, -1), base::OverflowError);
    EXPECT_THROW(base::mul16(2, 16384), base::OverflowError);
}

TEST(CheckedArithmetic, SixteenBitSubtractionOverflowThrows) {
    EXPECT_EQ(base::sub16(-32767, 1), -32768);
    EXPECT_EQ(base::sub16(32767, 32767), 0);
    EXPECT_THROW(base::sub16(-32768, 1), base::OverflowError);
    EXPECT_THROW(base::sub16(32767, -1), base::OverflowError);
    EXPECT_THROW(base::sub16(0, -32768), base::OverflowError);
}

TEST(CheckedArithmetic, ThirtyTwoBitOverflowThrows) {
    EXPECT_EQ(base::sub32(1920, 216), 1704);
    EXPECT_THROW(base::sub32(INT32_MIN, 1), base::OverflowError);
    EXPECT_EQ(base::add32(2800, 400), 3200);
    EXPECT_THROW(base::add32(INT32_MAX, 1), base::OverflowError);
    EXPECT_THROW(base::mul32(65536, 32768), base::OverflowError);
    EXPECT_EQ(base::mul32(-65536, 32768), INT32_MIN);
}

TEST(CheckedArithmetic, RoundedConversionsRefuseWhatDoesNotFit) {
    EXPECT_EQ(base::toInt16(32766.5), 32766);
    EXPECT_EQ(base::toInt16(-32768.4), -32768);
    EXPECT_THROW(base::toInt16(32767.5), base::OverflowError);
    EXPECT_THROW(base::toInt16(-32768.6), base::OverflowError);
    EXPECT_EQ(base::toInt32(24.5), 24);
    EXPECT_EQ(base::toInt32(-75.0), -75);
    EXPECT_THROW(base::toInt32(2147483647.5), base::OverflowError);
    EXPECT_THROW(base::toInt32(std::nan("")), base::OverflowError);
}

}  // namespace
