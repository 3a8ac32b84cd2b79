// Device contexts and bitmaps in memory: a capture reads exactly the screen's pixels, black
// beyond the screen, and reads them lazily without ever showing another capture's pixels.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/soft/SoftGraphics.h"

namespace platform::soft {
namespace {

// A screen whose pixel at (x, y) is 0x10000 * x + y (below 256 x 256 every value is unique),
// which can hand out views of memory of its own, and counts what it read.
class CountingScreen : public ScreenSource {
public:
    CountingScreen(int width, int height, bool views) : width_(width), height_(height), views_(views) {}
    int width() const override { return width_; }
    int height() const override { return height_; }
    static std::uint32_t colour(int x, int y) { return static_cast<std::uint32_t>(x) * 0x10000u + y; }
    void read(int x, int y, const Surface& to) override {
        for (int r = 0; r < to.height; ++r)
            for (int c = 0; c < to.width; ++c) to.row(r)[c] = colour(x + c, y + r) ^ generation;
        pixelsRead += static_cast<std::size_t>(to.width) * to.height;
    }
    std::optional<ConstSurface> view(int x, int y, int width, int height) override {
        if (!views_) return std::nullopt;
        // Reuses its memory, as a shared-memory image does: the previous view is overwritten.
        memory.assign(static_cast<std::size_t>(width) * height, 0);
        read(x, y, Surface{memory.data(), width, height, width});
        return ConstSurface{memory.data(), width, height, width, 0, 0};
    }
    std::uint32_t generation = 0;  // changes what the screen shows
    std::size_t pixelsRead = 0;
    std::vector<std::uint32_t> memory;

private:
    int width_, height_;
    bool views_;
};

// One capture as the program makes it: a whole new bitmap blitted from the screen at (left, top).
Handle capture(SoftGraphics& gdi, int left, int top, int width, int height) {
    const Handle screen = gdi.createScreenDC();
    const Handle memory = gdi.CreateCompatibleDC(screen);
    const Handle bitmap = gdi.CreateCompatibleBitmap(screen, width, height);
    const Handle previous = gdi.SelectObject(memory, bitmap);
    EXPECT_TRUE(gdi.BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY));
    gdi.SelectObject(memory, previous);
    gdi.DeleteDC(memory);
    gdi.releaseScreenDC(screen);
    return bitmap;
}

class SoftGraphicsTest : public ::testing::TestWithParam<bool> {};

TEST_P(SoftGraphicsTest, ACaptureHoldsTheScreenAndBlackBeyondIt) {
    CountingScreen screen(100, 80, GetParam());
    SoftGraphics gdi(screen);
    const Handle bitmap = capture(gdi, -3, 70, 10, 20);  // left of and below the screen
    auto pixels = gdi.bitmapPixels(bitmap);
    ASSERT_TRUE(pixels);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool onScreen = x >= 3 && y < 10;
            EXPECT_EQ(pixels->row(y)[x - pixels->originX], onScreen ? CountingScreen::colour(x - 3, 70 + y) : 0u)
                << x << "," << y;
        }
    EXPECT_TRUE(gdi.DeleteObject(bitmap));
    EXPECT_EQ(gdi.liveObjects(), 0u);
}

TEST_P(SoftGraphicsTest, PatBltBlackensPartOfACaptureAndKeepsTheRest) {
    CountingScreen screen(100, 80, GetParam());
    SoftGraphics gdi(screen);
    const Handle screenDc = gdi.createScreenDC();
    const Handle memory = gdi.CreateCompatibleDC(screenDc);
    const Handle bitmap = gdi.CreateCompatibleBitmap(screenDc, 10, 8);
    const Handle previous = gdi.SelectObject(memory, bitmap);
    ASSERT_TRUE(gdi.BitBlt(memory, 0, 0, 10, 8, screenDc, 20, 30, SRCCOPY));
    EXPECT_TRUE(gdi.PatBlt(memory, 6, 4, 10, 10, BLACKNESS));  // reaches past the bitmap: clipped
    EXPECT_FALSE(gdi.PatBlt(screenDc, 0, 0, 1, 1, BLACKNESS)) << "the screen is not drawn on";
    EXPECT_FALSE(gdi.PatBlt(memory, 0, 0, 1, 1, SRCCOPY)) << "only black is asked for";
    gdi.SelectObject(memory, previous);
    gdi.DeleteDC(memory);
    gdi.releaseScreenDC(screenDc);
    auto pixels = gdi.bitmapPixels(bitmap);
    ASSERT_TRUE(pixels);
    int x0 = 0, y0 = 0;
    EXPECT_FALSE(gdi.screenOrigin(bitmap, x0, y0)) << "no longer the screen alone";
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(pixels->row(y)[x - pixels->originX],
                      x >= 6 && y >= 4 ? 0u : CountingScreen::colour(20 + x, 30 + y))
                << x << "," << y;
    EXPECT_TRUE(gdi.DeleteObject(bitmap));
    EXPECT_EQ(gdi.liveObjects(), 0u);
}

TEST_P(SoftGraphicsTest, OnlyThePartLookedAtIsRead) {
    CountingScreen screen(100, 80, GetParam());
    SoftGraphics gdi(screen);
    const Handle bitmap = capture(gdi, 10, 10, 40, 40);
    EXPECT_EQ(screen.pixelsRead, 0u);
    auto part = gdi.bitmapPixels(bitmap, PixelBounds{0, 0, 10, 10});
    ASSERT_TRUE(part);
    EXPECT_EQ(screen.pixelsRead, 100u);
    EXPECT_EQ(part->row(9)[9 - part->originX], CountingScreen::colour(19, 19));
    gdi.DeleteObject(bitmap);
}

TEST_P(SoftGraphicsTest, ASecondCaptureDoesNotChangeTheFirst) {
    CountingScreen screen(100, 80, GetParam());
    SoftGraphics gdi(screen);
    const Handle first = capture(gdi, 0, 0, 20, 20);
    auto before = gdi.bitmapPixels(first, PixelBounds{0, 0, 20, 20});
    ASSERT_TRUE(before);
    const std::uint32_t corner = before->row(5)[5 - before->originX];

    screen.generation = 0xABCDEF;  // the screen changes; the next capture sees the change
    const Handle second = capture(gdi, 30, 30, 20, 20);
    auto secondPixels = gdi.bitmapPixels(second, PixelBounds{0, 0, 20, 20});
    ASSERT_TRUE(secondPixels);
    EXPECT_EQ(secondPixels->row(0)[0 - secondPixels->originX], CountingScreen::colour(30, 30) ^ 0xABCDEF);

    auto after = gdi.bitmapPixels(first, PixelBounds{0, 0, 20, 20});
    ASSERT_TRUE(after);
    EXPECT_EQ(after->row(5)[5 - after->originX], corner) << "the first capture must keep what it read";
    gdi.DeleteObject(first);
    gdi.DeleteObject(second);
}

TEST_P(SoftGraphicsTest, ABitmapStillSelectedCannotBeDeleted) {
    CountingScreen screen(10, 10, GetParam());
    SoftGraphics gdi(screen);
    const Handle screenDC = gdi.createScreenDC();
    const Handle memory = gdi.CreateCompatibleDC(screenDC);
    const Handle bitmap = gdi.CreateCompatibleBitmap(screenDC, 4, 4);
    const Handle previous = gdi.SelectObject(memory, bitmap);
    EXPECT_FALSE(gdi.DeleteObject(bitmap));
    EXPECT_EQ(gdi.SelectObject(memory, previous), bitmap);
    EXPECT_TRUE(gdi.DeleteObject(bitmap));
    gdi.DeleteDC(memory);
    gdi.releaseScreenDC(screenDC);
    EXPECT_EQ(gdi.liveObjects(), 0u);
}

TEST_P(SoftGraphicsTest, APictureDestroysWhatItOwnsWithItsLastReference) {
    CountingScreen screen(10, 10, GetParam());
    SoftGraphics gdi(screen);
    const Handle bitmap = capture(gdi, 0, 0, 4, 4);
    LogPalette description;
    description.version = 0x300;
    description.numEntries = 256;
    const Handle palette = gdi.CreatePalette(description);
    PictureRef picture = gdi.OleCreatePictureIndirect(PictDesc{20, PICTYPE_BITMAP, bitmap, palette}, true);
    ASSERT_TRUE(picture);
    PictureRef second = picture;
    picture.reset();
    EXPECT_EQ(gdi.liveObjects(), 2u);
    second.reset();
    EXPECT_EQ(gdi.liveObjects(), 0u);
}

TEST_P(SoftGraphicsTest, ACopyOfACaptureKeepsItsPixelsWhenTheScreenChanges) {
    CountingScreen screen(100, 80, GetParam());
    SoftGraphics gdi(screen);
    const Handle shot = capture(gdi, 10, 20, 30, 40);
    const Handle screenDc = gdi.createScreenDC();
    const Handle from = gdi.CreateCompatibleDC(screenDc);
    const Handle to = gdi.CreateCompatibleDC(screenDc);
    const Handle copy = gdi.CreateCompatibleBitmap(screenDc, 30, 40);
    gdi.SelectObject(from, shot);
    const Handle stock = gdi.SelectObject(to, copy);
    ASSERT_TRUE(gdi.BitBlt(to, 0, 0, 30, 40, from, 0, 0, SRCCOPY));
    screen.generation = 0x00FFFFFF;
    // GetPixel answers 0x00BBGGRR; the counting screen's colour 0x10000 * x + y is 0x00RRGGBB.
    const auto colourRef = [](std::uint32_t rgb) {
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    };
    EXPECT_EQ(gdi.GetPixel(to, 5, 7), colourRef(CountingScreen::colour(15, 27)));
    EXPECT_EQ(gdi.GetPixel(to, 30, 0), CLR_INVALID);
    EXPECT_EQ(gdi.GetPixel(screenDc, 15, 27), colourRef(CountingScreen::colour(15, 27) ^ 0x00FFFFFF));
    // A bitmap is read out while no context has it selected.
    gdi.SelectObject(to, stock);
    std::vector<std::uint32_t> pixels(30 * 40);
    EXPECT_EQ(gdi.GetDIBits(screenDc, copy, 30, 40, pixels.data()), 40);
    EXPECT_EQ(pixels[39 * 30 + 29], CountingScreen::colour(39, 59));
    gdi.DeleteDC(from);
    gdi.DeleteDC(to);
    gdi.releaseScreenDC(screenDc);
    EXPECT_TRUE(gdi.DeleteObject(copy));
    EXPECT_TRUE(gdi.DeleteObject(shot));
}

INSTANTIATE_TEST_SUITE_P(CopiedAndViewed, SoftGraphicsTest, ::testing::Bool());

}  // namespace
}  // namespace platform::soft
