// The magnifier driven as a user would, on a private X server whose whole screen shows a pattern
// in which every pixel is unique: what its window shows is read back from the screen and compared
// pixel for pixel with the expected magnification.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "DesktopSuite.h"

namespace e2e {
namespace {

// Each test first moves the window into the lower right part of the screen, so the area the
// magnifier captures around these cursor positions never contains its own window.
constexpr Point kWindowPlace{1500, 760};
constexpr Point kFarCursor{400, 300};

class MagnifierWindow : public DesktopSuite<MagnifierWindow> {
protected:
    void SetUp() override {
        DesktopSuite::SetUp();
        if (HasFatalFailure()) return;
        start();
        ASSERT_TRUE(place_client(kWindowPlace));
    }
};

TEST_F(MagnifierWindow, StartsAtZoomTwoWithA200By200Client) {
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    EXPECT_TRUE(has_client_size(200, 200));
}

TEST_F(MagnifierWindow, ShowsEachScreenPixelAsATwoByTwoBlockCentredOnTheCursor) {
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    ASSERT_TRUE(shows_magnified(kFarCursor, 2));
    // The block at the centre of the client is the pixel under the cursor.
    const Rect client = desktop().client_geometry(window_);
    const Image image = grab_screen(x(), client);
    EXPECT_EQ(UniquePattern::position(image.at(client.width / 2, client.height / 2)), kFarCursor);
    // Another cursor position: the view follows it.
    EXPECT_TRUE(shows_magnified(Point{kFarCursor.x + 37, kFarCursor.y - 23}, 2));
}

TEST_F(MagnifierWindow, WithoutAScreenCastPortalSaysSoAndReadsTheX11Screen) {
    start({{"MAGNIFIER_CAPTURE", "portal"}, {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}});
    ASSERT_TRUE(place_client(kWindowPlace));
    EXPECT_THAT(run_->process().stderr_text(),
                ::testing::HasSubstr("magnifier: no session D-Bus to reach the screen-cast portal; reading the X11 "
                                     "screen instead, which shows only X11 windows\n"));
    // The view shows the X11 screen below the notice, which takes two lines of this width.
    desktop().move_mouse(kFarCursor);
    const Rect client = desktop().client_geometry(window_);
    const Magnification view{kFarCursor, client.width, client.height, 2};
    const auto seen = wait_for_value(
        [&] {
            return compare_magnified_where(
                grab_screen(x(), client), view, pattern_screen(kScreenWidth, kScreenHeight),
                [&](int, int y) { return y >= 32 && y < client.height - kHintRows; }, 20000);
        },
        [](const std::string& mismatch) { return mismatch.empty(); }, kTimeout);
    EXPECT_EQ(seen.last, "");
}

TEST_F(MagnifierWindow, KeypadPlusZoomsToThreeAndKeypadMinusBackToTwo) {
    desktop().activate(window_);
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    desktop().key({"KP_Add"});
    ASSERT_TRUE(shows_caption(zoom_caption(3)));
    EXPECT_TRUE(shows_magnified(kFarCursor, 3));
    desktop().key({"KP_Subtract"});
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    EXPECT_TRUE(shows_magnified(kFarCursor, 2));
}

TEST_F(MagnifierWindow, ZoomStopsAtEighteen) {
    desktop().activate(window_);
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    desktop().key(std::vector<std::string>(16, "KP_Add"));
    ASSERT_TRUE(shows_caption(zoom_caption(18)));
    EXPECT_TRUE(shows_magnified(kFarCursor, 18));
    // Past the limit, then one step down: 17 only if the extra presses were ignored (without a
    // limit the zoom would go 19, 20, 21, 20 and never show 17).
    desktop().key({"KP_Add", "KP_Add", "KP_Add", "KP_Subtract"});
    EXPECT_TRUE(shows_caption(zoom_caption(17)));
}

TEST_F(MagnifierWindow, ZoomStopsAtOne) {
    desktop().activate(window_);
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    desktop().key({"KP_Subtract"});
    ASSERT_TRUE(shows_caption(zoom_caption(1)));
    EXPECT_TRUE(shows_magnified(kFarCursor, 1));
    // 2 only if the extra presses were ignored (else 0, -1, -2, -1).
    desktop().key({"KP_Subtract", "KP_Subtract", "KP_Subtract", "KP_Add"});
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
}

TEST_F(MagnifierWindow, RoundsTheCapturedAreaHalfToEven) {
    // At zoom 8 a 200-pixel client spans 25 screen pixels, so the left edge is cursor - 12.5:
    // an odd and an even cursor coordinate catch rounding half up and half down.
    desktop().activate(window_);
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    desktop().key(std::vector<std::string>(6, "KP_Add"));
    ASSERT_TRUE(shows_caption(zoom_caption(8)));
    EXPECT_TRUE(shows_magnified(Point{401, 301}, 8));
    EXPECT_TRUE(shows_magnified(Point{402, 302}, 8));
}

TEST_F(MagnifierWindow, MainKeyboardPlusAndMinusDoNothing) {
    desktop().activate(window_);
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    // Each main-keyboard key is followed by a keypad key whose result the main key, if it
    // worked, would rule out: minus then keypad plus gives 3 only if minus did nothing.
    desktop().key({"minus", "KP_Add"});
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
    desktop().key({"plus", "KP_Subtract"});
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
}

TEST_F(MagnifierWindow, ResizingBelowTheMinimumSnapsBack) {
    // Growing first proves that resize requests get through, so the snap back is not simply
    // a request that never arrived.
    desktop().resize(window_, 300, 260);
    ASSERT_TRUE(has_client_size(300, 260));
    EXPECT_TRUE(shows_magnified(kFarCursor, 2));
    desktop().resize(window_, 100, 100);
    EXPECT_TRUE(has_client_size(200, 200));
}

TEST_F(MagnifierWindow, PixelsOffTheScreenAreBlack) {
    EXPECT_TRUE(shows_magnified(Point{0, 0}, 2));
    EXPECT_TRUE(shows_magnified(Point{kScreenWidth - 1, kScreenHeight - 1}, 2));
}

TEST_F(MagnifierWindow, ClosingExitsWithZeroAndSavesTheSettings) {
    ASSERT_TRUE(shows_caption(zoom_caption(2)));
    const auto status = run_->close(window_);
    ASSERT_TRUE(status.has_value()) << "still running 10 s after the close request; " << run_->describe();
    EXPECT_TRUE(status->exited && status->code == 0) << run_->describe();
    std::ifstream settings(run_->settings_file());
    ASSERT_TRUE(settings.good()) << run_->settings_file() << " was not written";
    std::string first_line;
    std::getline(settings, first_line);
    EXPECT_EQ(first_line.substr(0, 8), "REGEDIT4") << "first line: " << first_line;
}

}  // namespace
}  // namespace e2e
