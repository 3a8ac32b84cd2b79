// The pixel tools besides freezing: the information line (I), the grid (G), the arrow keys'
// nudge, the colour's text and the view's picture on the clipboard, and the view saved as PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "StartedMagnifier.h"
#include "capture/PngEncoder.h"

namespace {

using namespace testsupport;

constexpr std::int16_t kShift = platform::vbShiftMask;
constexpr std::int16_t kCtrl = platform::vbCtrlMask;

class PixelToolsTest : public MagnifierTest {
protected:
    void SetUp() override {
        paintDistinctScreen(fake);
        fake.screen.setPixel(600, 400, 0x1A2B3Cu);
        start();
        resizeClient(fake, *form, 300, 200);
        fake.windows.setCursor(600, 400);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const auto& p : form->printed()) all.push_back(p.text);
        return all;
    }
    bool printed(const std::string& text) const {
        const auto all = texts();
        return std::find(all.begin(), all.end(), text) != all.end();
    }
    // What a grid line's pixel is: black and white by turns.
    static std::uint32_t gridColour(int x, int y) { return ((x + y) & 1) != 0 ? 0xFFFFFFu : 0u; }
};

TEST_F(PixelToolsTest, TheInformationLineIsOffByDefaultAndIToggles) {
    form->tick();
    EXPECT_EQ(texts().size(), 2u);
    form->keyDown('I');
    form->clearPrinted();
    form->tick();
    EXPECT_TRUE(printed("600, 400  #1A2B3C  26 43 60"));
    EXPECT_EQ(form->printed().back().y, 2);
    form->keyDown('I');
    form->clearPrinted();
    form->tick();
    EXPECT_EQ(texts().size(), 2u);
}

TEST_F(PixelToolsTest, TheInformationLineFollowsThePointerAndWhenFrozenTellsTheCentre) {
    form->keyDown('I');
    fake.windows.setCursor(10, 20);
    form->clearPrinted();
    form->tick();
    const std::uint32_t there = fake.screen.pixel(10, 20);
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%06X", there);
    EXPECT_TRUE(printed("10, 20  " + std::string(hex) + "  " + std::to_string(there >> 16) + " " +
                        std::to_string((there >> 8) & 0xFF) + " " + std::to_string(there & 0xFF)));
    fake.windows.setCursor(600, 400);
    form->keyDown(platform::VK_SPACE);
    fake.windows.setCursor(90, 90);
    fake.screen.setPixel(600, 400, 0x445566u);
    form->clearPrinted();
    form->tick();
    EXPECT_EQ(texts(), (std::vector<std::string>{"\xC2\xA9 Orlenda", "Zoom: [+] & [-]", "Frozen",
                                                 "600, 400  #1A2B3C  26 43 60"}));
    EXPECT_EQ(form->printed().back().y, 16);
}

TEST_F(PixelToolsTest, IAndGAreRememberedInTheProgramsOwnKey) {
    EXPECT_EQ(storedNumber(fake, programKey(), "PixelInfo"), -1);
    form->keyDown('I');
    form->keyDown('G');
    EXPECT_EQ(storedNumber(fake, programKey(), "PixelInfo"), 1);
    EXPECT_EQ(storedNumber(fake, programKey(), "PixelGrid"), 1);
    form->keyDown('G');
    EXPECT_EQ(storedNumber(fake, programKey(), "PixelGrid"), 0);
}

TEST(PixelToolsSettingsTest, StoredSwitchesAreOnAtTheNextStart) {
    platform::fake::FakePlatform fake;
    storeSetting(fake, "PixelInfo", 1);
    storeSetting(fake, "PixelGrid", 1);
    app::FrmMain window(fake.toolkit);
    window.start();
    EXPECT_TRUE(window.showsPixelInfo());
    EXPECT_TRUE(window.showsGrid());
}

TEST_F(PixelToolsTest, GridLinesAtZoomFourAndEightAndNoneAtThree) {
    form->keyDown('G');
    for (const int zoom : {4, 8}) {
        window.setSize(static_cast<std::int16_t>(zoom));
        form->tick();
        const long left = nearestEven(600 - 300.0 / (2 * zoom));
        const long top = nearestEven(400 - 200.0 / (2 * zoom));
        const int boxLeft = static_cast<int>(600 - left) * zoom, boxTop = static_cast<int>(400 - top) * zoom;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 300; ++x) {
                const bool onGrid = (x % zoom == 0 && x > 0) || (y % zoom == 0 && y > 0);
                const bool nearBox = x >= boxLeft - 1 && x <= boxLeft + zoom + 1 && y >= boxTop - 1 &&
                                     y <= boxTop + zoom + 1;
                const bool onBox = nearBox && (x == boxLeft - 1 || x == boxLeft + zoom + 1 || y == boxTop - 1 ||
                                               y == boxTop + zoom + 1);
                const std::uint32_t want = onGrid || onBox ? gridColour(x, y)
                                                           : screenOrBlack(fake.screen, left + x / zoom, top + y / zoom);
                ASSERT_EQ(form->clientPixel(x, y), want) << "zoom " << zoom << " at " << x << ", " << y;
            }
        }
    }
    window.setSize(3);
    form->clearPrinted();
    form->tick();
    EXPECT_TRUE(form->lines().empty());
    EXPECT_TRUE(viewShows(*form, fake.screen, 550, 367, 3));
}

TEST_F(PixelToolsTest, ArrowsNudgeThePointerByOneAndWithShiftByTen) {
    form->keyDown(platform::VK_RIGHT);
    form->keyDown(platform::VK_DOWN);
    platform::Point at;
    fake.windows.GetCursorPos(at);
    EXPECT_EQ(at.x, 601);
    EXPECT_EQ(at.y, 401);
    form->keyDown(platform::VK_LEFT, kShift);
    form->keyDown(platform::VK_UP, kShift);
    fake.windows.GetCursorPos(at);
    EXPECT_EQ(at.x, 591);
    EXPECT_EQ(at.y, 391);
    // Ctrl and Alt arrows are not nudges.
    form->keyDown(platform::VK_UP, kCtrl);
    form->keyDown(platform::VK_UP, platform::vbAltMask);
    EXPECT_EQ(fake.windows.cursorMoves().size(), 4u);
}

TEST_F(PixelToolsTest, WhereThePointerCannotBeMovedTheKeysDoNothing) {
    fake.windows.setCursorFixed(true);
    form->keyDown(platform::VK_RIGHT);
    form->keyDown(platform::VK_RIGHT, kShift);
    platform::Point at;
    fake.windows.GetCursorPos(at);
    EXPECT_EQ(at.x, 600);
}

TEST_F(PixelToolsTest, CtrlCCopiesTheColourOfThePixelUnderThePointerOrAtTheFrozenCentre) {
    form->keyDown('C', kCtrl);
    EXPECT_EQ(fake.clipboard.text, "#1A2B3C");
    EXPECT_EQ(fake.clipboard.owner(), window.hWnd());
    form->keyDown(platform::VK_SPACE);
    fake.screen.setPixel(600, 400, 0xABCDEFu);
    fake.windows.setCursor(5, 5);
    form->keyDown('C', kCtrl);
    EXPECT_EQ(fake.clipboard.text, "#1A2B3C");
    form->keyDown(platform::VK_ESCAPE);
    fake.windows.setCursor(600, 400);
    form->keyDown('C', kCtrl);
    EXPECT_EQ(fake.clipboard.text, "#ABCDEF");
    // Plain C is no copy.
    const int writes = fake.clipboard.writes;
    form->keyDown('C');
    EXPECT_EQ(fake.clipboard.writes, writes);
    EXPECT_EQ(fake.windows.openDeviceContexts(), 0);
}

TEST_F(PixelToolsTest, CtrlShiftCCopiesTheEnlargedViewWithoutTextsOrGrid) {
    window.setSize(4);
    form->keyDown('G');
    form->keyDown('I');
    form->tick();
    form->keyDown('C', kCtrl | kShift);
    ASSERT_EQ(fake.clipboard.imageWidth, 300);
    ASSERT_EQ(fake.clipboard.imageHeight, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ(fake.clipboard.image[static_cast<std::size_t>(y) * 300 + x],
                      screenOrBlack(fake.screen, 562 + x / 4, 375 + y / 4))
                << x << ", " << y;
}

TEST_F(PixelToolsTest, CtrlSSavesTheViewAsPngWhereTheDialogSays) {
    const auto path = std::filesystem::temp_directory_path() / ("magnifier-save-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".png");
    fake.dialogs.answer = path.string();
    form->keyDown(platform::VK_SPACE);
    form->keyDown('S', kCtrl);
    ASSERT_EQ(fake.dialogs.asked.size(), 1u);
    EXPECT_EQ(fake.dialogs.asked[0].initialDir, "/home/user/Pictures");
    EXPECT_EQ(fake.dialogs.asked[0].defaultExt, "png");
    EXPECT_EQ(fake.dialogs.asked[0].owner, window.hWnd());
    // Read and closed before the file is removed, which Windows refuses for an open file.
    const std::vector<std::uint8_t> saved = [&] {
        std::ifstream file(path, std::ios::binary);
        return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(file), {}};
    }();
    ASSERT_FALSE(saved.empty());
    form->keyDown('C', kCtrl | kShift);
    EXPECT_EQ(saved, capture::encodePng(300, 200, fake.clipboard.image));
    std::filesystem::remove(path);
    // Cancelled: nothing written.
    fake.dialogs.answer.reset();
    form->keyDown('S', kCtrl);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PngEncoderTest, StoresEveryPixelExactly) {
    const std::vector<std::uint32_t> pixels{0x010203, 0xFFFEFD, 0x000000, 0x808080, 0x123456, 0xABCDEF};
    const auto png = capture::encodePng(3, 2, pixels);
    ASSERT_GT(png.size(), 8u + 25 + 12);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    // The stored block's data: a filter byte and three bytes per pixel, row by row.
    const std::vector<std::uint8_t> rows{0, 1, 2, 3, 0xFF, 0xFE, 0xFD, 0, 0, 0, 0, 0x80, 0x80, 0x80, 0x12, 0x34, 0x56, 0xAB, 0xCD, 0xEF};
    EXPECT_NE(std::search(png.begin(), png.end(), rows.begin(), rows.end()), png.end());
}

}  // namespace
