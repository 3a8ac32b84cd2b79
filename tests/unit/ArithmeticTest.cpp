#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "app/Arithmetic.h"

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(app::roundHalfEven(7.5), 8);
    EXPECT_EQ(app::roundHalfEven(8.5), 8);
    EXPECT_EQ(app::roundHalfEven(-0.5), 0);
    EXPECT_EQ(app::roundHalfEven(-1.5), -2);
    EXPECT_EQ(app::roundHalfEven(24.5), 24);
    EXPECT_EQ(app::roundHalfEven(25.5), 26);
    EXPECT_EQ(app::roundHalfEven(2.4999), 2);
    EXPECT_EQ(app::roundHalfEven(2.5001), 3);
}

}  // namespace

namespace {

TEST(TwipsAndPixels, PixelsAreTwipsOverFifteenRoundedHalfToEven) {
    EXPECT_EQ(app::twipsToPixels(112.5f), 8);  // 7.5
    EXPECT_EQ(app::twipsToPixels(127.5f), 8);  // 8.5
    EXPECT_EQ(app::twipsToPixels(142.5f), 10);  // 9.5
    EXPECT_EQ(app::twipsToPixels(119.0f), 8);
    EXPECT_EQ(app::twipsToPixels(0.0f), 0);
    EXPECT_EQ(app::twipsToPixels(-22.5f), -2);  // -1.5
    EXPECT_EQ(app::twipsToPixels(75000.0f), 5000);
}

TEST(TwipsAndPixels, TwipsAreFifteenPerPixelWhateverTheDisplay) {
    EXPECT_FLOAT_EQ(app::pixelsToTwips(216), 3240.0f);
    EXPECT_FLOAT_EQ(app::pixelsToTwips(-100), -1500.0f);
    // Beyond 2184 pixels the twips no longer fit 16 bits; they must still convert.
    EXPECT_FLOAT_EQ(app::pixelsToTwips(5000), 75000.0f);
    for (std::int32_t px : {0, 1, 7, 2184, 2185, 32767, 65535}) EXPECT_EQ(app::twipsToPixels(app::pixelsToTwips(px)), px);
}

TEST(TwipsAndPixels, TwipsBeyond32BitsAreAnError) {
    EXPECT_THROW(app::pixelsToTwips(143165577), app::OverflowError);  // * 15 > 2^31 - 1
    EXPECT_NO_THROW(app::pixelsToTwips(143165576));
}

TEST(CheckedArithmetic, SixteenBitMultiplicationOverflowThrows) {
    EXPECT_EQ(app::mul16(2, 18), 36);
    EXPECT_EQ(app::mul16(-128, 256), -32768);
    EXPECT_THROW(app::mul16(128, 256), app::OverflowError);
    EXPECT_THROW(app::mul16(-32768, -1), app::OverflowError);
    EXPECT_THROW(app::mul16(2, 16384), app::OverflowError);
}

TEST(CheckedArithmetic, SixteenBitSubtractionOverflowThrows) {
    EXPECT_EQ(app::sub16(-32767, 1), -32768);
    EXPECT_EQ(app::sub16(32767, 32767), 0);
    EXPECT_THROW(app::sub16(-32768, 1), app::OverflowError);
    EXPECT_THROW(app::sub16(32767, -1), app::OverflowError);
    EXPECT_THROW(app::sub16(0, -32768), app::OverflowError);
}

TEST(CheckedArithmetic, ThirtyTwoBitOverflowThrows) {
    EXPECT_EQ(app::sub32(1920, 216), 1704);
    EXPECT_THROW(app::sub32(INT32_MIN, 1), app::OverflowError);
    EXPECT_THROW(app::mul32(65536, 32768), app::OverflowError);
    EXPECT_EQ(app::mul32(-65536, 32768), INT32_MIN);
}

TEST(CheckedArithmetic, RoundedConversionsRefuseWhatDoesNotFit) {
    EXPECT_EQ(app::toInt16(32766.5), 32766);
    EXPECT_EQ(app::toInt16(-32768.4), -32768);
    EXPECT_THROW(app::toInt16(32767.5), app::OverflowError);
    EXPECT_THROW(app::toInt16(-32768.6), app::OverflowError);
    EXPECT_EQ(app::toInt32(24.5), 24);
    EXPECT_EQ(app::toInt32(-75.0), -75);
    EXPECT_THROW(app::toInt32(2147483647.5), app::OverflowError);
    EXPECT_THROW(app::toInt32(std::nan("")), app::OverflowError);
}

}  // namespace
