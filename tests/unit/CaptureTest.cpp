// Which part of the screen each tick copies, and that every copy gives back what it borrowed.
#include <gtest/gtest.h>

#include "StartedMagnifier.h"
#include "capture/Capture.h"

namespace {

using namespace testsupport;

class CaptureTest : public StartedMagnifierTest {
protected:
    void SetUp() override {
        paintDistinctScreen(fake);
        StartedMagnifierTest::SetUp();
    }
};

TEST_F(CaptureTest, ScreenCornerUnderTheCursorLandsInTheMiddleOfTheView) {
    resizeClient(fake, *form, 300, 200);
    fake.windows.setCursor(0, 0);
    form->tick();
    // 75 columns and 50 rows left of and above the screen are black.
    EXPECT_TRUE(viewShows(*form, fake.screen, -75, -50, 2));
    EXPECT_EQ(form->clientPixel(149, 99), 0u);
    EXPECT_EQ(form->clientPixel(150, 100), fake.screen.pixel(0, 0));
    EXPECT_EQ(form->clientPixel(151, 101), fake.screen.pixel(0, 0));
    EXPECT_EQ(form->clientPixel(152, 102), fake.screen.pixel(1, 1));
}

TEST_F(CaptureTest, CopiesOnlyTheShownPartWithTheLastPartialColumnAndRow) {
    const platform::PictureRef picture = capture::captureAroundCursor(500, 400, 301, 200, 3);
    ASSERT_TRUE(picture);
    int width = 0, height = 0;
    ASSERT_TRUE(fake.graphics.bitmapSize(picture->bitmap(), width, height));
    EXPECT_EQ(width, 101);   // 100.33 columns shown
    EXPECT_EQ(height, 67);   // 66.67 rows shown
}

TEST_F(CaptureTest, HalfPixelOffsetRoundsToTheEvenColumn) {
    resizeClient(fake, *form, 302, 200);
    fake.windows.setCursor(100, 500);
    form->tick();
    EXPECT_TRUE(viewShows(*form, fake.screen, 24, 450, 2));  // 100 - 75.5 = 24.5

    fake.windows.setCursor(101, 500);
    form->tick();
    EXPECT_TRUE(viewShows(*form, fake.screen, 26, 450, 2));  // 101 - 75.5 = 25.5
}

TEST_F(CaptureTest, QuarterPixelOffsetRoundsToTheNearestColumn) {
    resizeClient(fake, *form, 301, 200);
    fake.windows.setCursor(100, 500);
    form->tick();
    EXPECT_TRUE(viewShows(*form, fake.screen, 25, 450, 2));  // 100 - 75.25
}

TEST_F(CaptureTest, AtZoomOneTheViewIsCentredOnTheCursor) {
    resizeClient(fake, *form, 300, 200);
    window.setSize(1);
    fake.windows.setCursor(500, 400);
    form->tick();
    EXPECT_TRUE(viewShows(*form, fake.screen, 350, 300, 1));
}

TEST_F(CaptureTest, ViewBeyondTheBottomRightOfTheScreenIsBlack) {
    resizeClient(fake, *form, 300, 200);
    fake.windows.setCursor(1919, 1079);
    form->tick();
    EXPECT_TRUE(viewShows(*form, fake.screen, 1919 - 75, 1079 - 50, 2));
    EXPECT_EQ(form->clientPixel(299, 199), 0u);
    EXPECT_EQ(form->clientPixel(150, 100), fake.screen.pixel(1919, 1079));
}

TEST_F(CaptureTest, OnlyTheShownPartOfTheScreenIsRead) {
    resizeClient(fake, *form, 300, 200);
    fake.windows.setCursor(800, 600);
    std::size_t before = fake.screen.pixelsRead();
    form->tick();
    // Zoom 2 shows 150 x 100 screen pixels.
    EXPECT_EQ(fake.screen.pixelsRead() - before, 150u * 100u);

    // Off the screen nothing is read: at the corner only a quarter of that is on it.
    fake.windows.setCursor(0, 0);
    before = fake.screen.pixelsRead();
    form->tick();
    EXPECT_EQ(fake.screen.pixelsRead() - before, 75u * 50u);
}

TEST_F(CaptureTest, TickGivesBackEveryContextAndObject) {
    form->tick();  // anything made once for good is made now
    const std::size_t objects = fake.graphics.liveObjects();
    for (int i = 0; i < 3; ++i) form->tick();
    EXPECT_EQ(fake.graphics.liveObjects(), objects);
    EXPECT_EQ(fake.windows.openDeviceContexts(), 0);
}

TEST_F(CaptureTest, TickOnAPaletteDisplayGivesBackThePaletteToo) {
    fake.screen.setPaletteDisplay(true, 256);
    const std::size_t objects = fake.graphics.liveObjects();
    form->tick();
    form->tick();
    EXPECT_EQ(fake.graphics.liveObjects(), objects);
    EXPECT_EQ(fake.windows.openDeviceContexts(), 0);
    EXPECT_EQ(form->paints(), 2);
}

TEST_F(CaptureTest, PictureFromAPaletteDisplayCarriesTheSystemPalette) {
    fake.screen.setPaletteDisplay(true, 256);
    platform::PictureRef picture = capture::captureWindowRect(fake.windows.GetDesktopWindow(), false, 10, 20, 30, 40);
    ASSERT_TRUE(picture);
    ASSERT_NE(picture->palette(), 0u);
    const auto entries = fake.graphics.paletteEntries(picture->palette());
    ASSERT_EQ(entries.size(), 256u);
    platform::PaletteEntry system[256];
    ASSERT_EQ(fake.screen.systemPalette(0, 256, system), 256u);
    for (unsigned i = 0; i < 256; ++i) {
        EXPECT_EQ(entries[i].red, system[i].red) << i;
        EXPECT_EQ(entries[i].green, system[i].green) << i;
        EXPECT_EQ(entries[i].blue, system[i].blue) << i;
    }
    // The picture still shows the screen.
    const auto pixels = fake.graphics.bitmapPixels(picture->bitmap());
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->row(0)[0], fake.screen.pixel(10, 20));
    EXPECT_EQ(pixels->row(39)[29], fake.screen.pixel(39, 59));
}

TEST_F(CaptureTest, PictureHasNoPaletteUnlessTheDisplayHas256Entries) {
    struct Case {
        bool paletteDisplay;
        int size;
    };
    for (const Case c : {Case{false, 256}, Case{true, 16}, Case{true, 255}, Case{true, 257}}) {
        fake.screen.setPaletteDisplay(c.paletteDisplay, c.size);
        platform::PictureRef picture = capture::captureWindowRect(fake.windows.GetDesktopWindow(), false, 0, 0, 8, 8);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->palette(), 0u) << c.paletteDisplay << " " << c.size;
    }
}

TEST_F(CaptureTest, PictureOwnsItsBitmapAndPalette) {
    fake.screen.setPaletteDisplay(true, 256);
    const std::size_t objects = fake.graphics.liveObjects();
    platform::PictureRef picture = capture::captureWindowRect(fake.windows.GetDesktopWindow(), false, 0, 0, 64, 48);
    ASSERT_TRUE(picture);
    // Only the bitmap and the palette outlive the capture, and only as long as the picture.
    EXPECT_EQ(fake.graphics.liveObjects(), objects + 2);
    EXPECT_EQ(fake.windows.openDeviceContexts(), 0);
    picture.reset();
    EXPECT_EQ(fake.graphics.liveObjects(), objects);
}

}  // namespace
