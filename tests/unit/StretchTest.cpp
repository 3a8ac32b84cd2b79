// The nearest-pixel stretch behind PaintPicture.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/soft/Stretch.h"

namespace {

using platform::soft::ConstSurface;
using platform::soft::PixelBounds;
using platform::soft::StretchRect;
using platform::soft::Surface;
using platform::soft::sourceBounds;
using platform::soft::stretchCopy;

constexpr std::uint32_t kUntouched = 0xABCDEFu;

// A source whose every pixel differs from the others and from black.
struct Source {
    Source(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels[static_cast<std::size_t>(y) * w + x] = colour(x, y);
    }
    static std::uint32_t colour(int x, int y) { return 0x10000u + static_cast<std::uint32_t>(y * 256 + x); }
    ConstSurface surface() const { return ConstSurface{pixels.data(), width, height, width}; }
    int width;
    int height;
    std::vector<std::uint32_t> pixels;
};

// A destination with a margin to the right of every row, to catch writes past the width.
struct Target {
    Target(int w, int h, int margin = 3)
        : width(w), height(h), stride(w + margin), pixels(static_cast<std::size_t>(stride) * h, kUntouched) {}
    Surface surface() { return Surface{pixels.data(), width, height, stride}; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * stride + x]; }
    int width;
    int height;
    int stride;
    std::vector<std::uint32_t> pixels;
};

TEST(StretchTest, WholeFactorMakesSquareBlocks) {
    const Source from(4, 3);
    for (int n : {1, 2, 3, 7}) {
        Target to(4 * n, 3 * n);
        stretchCopy(from.surface(), StretchRect{0, 0, 4, 3}, to.surface(), StretchRect{0, 0, 4.0 * n, 3.0 * n});
        for (int y = 0; y < to.height; ++y)
            for (int x = 0; x < to.width; ++x) ASSERT_EQ(to.at(x, y), Source::colour(x / n, y / n)) << n;
        for (int y = 0; y < to.height; ++y)
            for (int x = to.width; x < to.stride; ++x) ASSERT_EQ(to.at(x, y), kUntouched);
    }
}

TEST(StretchTest, FractionalSourceKeepsTheScale) {
    const Source from(4, 4);
    Target to(5, 7);
    stretchCopy(from.surface(), StretchRect{1, 0, 2.5, 3.5}, to.surface(), StretchRect{0, 0, 5, 7});
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(to.at(x, y), Source::colour(1 + x / 2, y / 2)) << x << "," << y;
}

TEST(StretchTest, ThirdsOfAPixelRoundDownToTheBlock) {
    // 200 rows from 66.67 source rows: every destination row takes source row floor(row / 3).
    const Source from(1, 70);
    Target to(1, 200);
    stretchCopy(from.surface(), StretchRect{0, 0, 1, static_cast<float>(200.0 / 3)}, to.surface(),
                StretchRect{0, 0, 1, 200});
    for (int y = 0; y < 200; ++y) EXPECT_EQ(to.at(0, y), Source::colour(0, y / 3)) << y;
}

TEST(StretchTest, SourceOutsideThePictureIsBlack) {
    const Source from(3, 3);
    Target to(10, 10);
    stretchCopy(from.surface(), StretchRect{-1, -1, 5, 5}, to.surface(), StretchRect{0, 0, 10, 10});
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const int sx = x / 2 - 1;
            const int sy = y / 2 - 1;
            const bool inside = sx >= 0 && sx < 3 && sy >= 0 && sy < 3;
            EXPECT_EQ(to.at(x, y), inside ? Source::colour(sx, sy) : 0u) << x << "," << y;
        }
    }
}

TEST(StretchTest, OnlyTheDestinationRectangleIsWritten) {
    const Source from(2, 2);
    Target to(8, 8);
    stretchCopy(from.surface(), StretchRect{0, 0, 2, 2}, to.surface(), StretchRect{2, 3, 4, 4});
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
            EXPECT_EQ(to.at(x, y), inside ? Source::colour((x - 2) / 2, (y - 3) / 2) : kUntouched) << x << "," << y;
        }
    }
}

TEST(StretchTest, DestinationBeyondTheTargetIsClipped) {
    const Source from(4, 4);
    Target to(5, 5);
    stretchCopy(from.surface(), StretchRect{0, 0, 4, 4}, to.surface(), StretchRect{-2, -2, 12, 12});
    // 3 destination pixels per source pixel, starting two pixels before the target.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(to.at(x, y), Source::colour((x + 2) / 3, (y + 2) / 3));
    for (int y = 0; y < 5; ++y)
        for (int x = 5; x < to.stride; ++x) EXPECT_EQ(to.at(x, y), kUntouched);
}

TEST(StretchTest, EmptyRectanglesWriteNothing) {
    const Source from(4, 4);
    Target to(4, 4);
    stretchCopy(from.surface(), StretchRect{0, 0, 0, 4}, to.surface(), StretchRect{0, 0, 4, 4});
    stretchCopy(from.surface(), StretchRect{0, 0, 4, 4}, to.surface(), StretchRect{0, 0, 4, 0});
    stretchCopy(from.surface(), StretchRect{0, 0, 4, 4}, to.surface(), StretchRect{0, 0, -4, 4});
    for (std::uint32_t p : to.pixels) EXPECT_EQ(p, kUntouched);
}

TEST(StretchTest, SourceBoundsCoverEveryPixelTouched) {
    const PixelBounds b = sourceBounds(StretchRect{10.5, 3.25, 150.5, 66.67}, 1000, 1000);
    EXPECT_EQ(b.x0, 10);
    EXPECT_EQ(b.y0, 3);
    EXPECT_EQ(b.x1, 161);
    EXPECT_EQ(b.y1, 70);
}

TEST(StretchTest, SourceBoundsAreClippedToThePicture) {
    const PixelBounds b = sourceBounds(StretchRect{-5, -5, 20, 8}, 10, 10);
    EXPECT_EQ(b.x0, 0);
    EXPECT_EQ(b.y0, 0);
    EXPECT_EQ(b.x1, 10);
    EXPECT_EQ(b.y1, 3);
    const PixelBounds outside = sourceBounds(StretchRect{20, 20, 5, 5}, 10, 10);
    EXPECT_GE(outside.x0, outside.x1);
    EXPECT_GE(outside.y0, outside.y1);
}

}  // namespace
