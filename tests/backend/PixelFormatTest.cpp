// Colours of pixel layouts: what the overlay draws with, and the translation for a window whose
// visual differs from the screen's.
#include <gtest/gtest.h>

#include "platform/linux/PixelFormat.h"

namespace platform::linux_ {
namespace {

TEST(PixelFormat, MaskedLayoutsScaleChannelsAsTheServerDoesAndRoundTripEveryPixel) {
    const PixelFormat rgb565 = PixelFormat::masked(16, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(rgb565.toRgb(0xFFFF), 0xFFFFFFu);
    EXPECT_EQ(rgb565.toRgb(0x8410), 0x848284u);  // 16/31, 32/63, 16/31 of full intensity
    for (std::uint32_t pixel = 0; pixel <= 0xFFFF; ++pixel) ASSERT_EQ(rgb565.fromRgb(rgb565.toRgb(pixel)), pixel);
    const PixelFormat bgr555 = PixelFormat::masked(15, 0x001F, 0x03E0, 0x7C00);
    for (std::uint32_t pixel = 0; pixel <= 0x7FFF; ++pixel) ASSERT_EQ(bgr555.fromRgb(bgr555.toRgb(pixel)), pixel);
    // Ten bits a channel keep the top eight as colours; the alpha byte of depth 32 is no colour.
    const PixelFormat rgb30 = PixelFormat::masked(30, 0x3FF00000, 0xFFC00, 0x3FF);
    EXPECT_EQ(rgb30.toRgb(0x3FFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(rgb30.fromRgb(0xFF0000), 0x3FF00000u);
    EXPECT_EQ(PixelFormat::masked(32, 0xFF0000, 0xFF00, 0xFF).colourBits(), 0xFFFFFFu);
    EXPECT_TRUE(PixelFormat::masked(24, 0xFF0000, 0xFF00, 0xFF).isRgb());
    EXPECT_FALSE(rgb30.isRgb());
}

TEST(PixelFormat, PalettesGiveTheExactEntryOrTheNearest) {
    const PixelFormat palette = PixelFormat::indexed(8, {0x000000, 0xFFFFFF, 0x102030, 0xFF0000});
    EXPECT_EQ(palette.toRgb(2), 0x102030u);
    EXPECT_EQ(palette.toRgb(200), 0u);  // beyond the entries
    EXPECT_EQ(palette.fromRgb(0x102030), 2u);
    EXPECT_EQ(palette.fromRgb(0xF01010), 3u);
    EXPECT_EQ(palette.fromRgb(0xEEEEEE), 1u);
    EXPECT_FALSE(palette == PixelFormat::indexed(8, {0x000000}));
}

}  // namespace
}  // namespace platform::linux_
