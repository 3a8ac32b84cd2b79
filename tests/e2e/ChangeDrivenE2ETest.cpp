// The magnifier draws only when its view would change: over a still screen its window gets no new
// frames, and a change inside the magnified area is shown. Both with the display's change events
// and with them turned off, where the program compares the pixels it reads instead; and a pointer
// warped by another program is followed even after the pointer has been still.
#include <chrono>
#include <thread>

#include "DesktopSuite.h"
#include "harness/WindowFrames.h"

namespace e2e {
namespace {

constexpr Point kWindowPlace{1500, 760};
constexpr Point kCursor{400, 300};
constexpr std::uint32_t kMark = 0x000000;  // not in the pattern

struct Mode {
    const char* name;
    EnvOverrides env;
};

class ChangeDriven : public DesktopSuite<ChangeDriven>, public ::testing::WithParamInterface<Mode> {
protected:
    void TearDown() override {
        DesktopSuite::TearDown();
        paint_pattern();  // the marks go
    }
    // Draws a 2 x 2 square straight on the root window.
    void mark(Point at) {
        GC gc = XCreateGC(x(), DefaultRootWindow(x()), 0, nullptr);
        XSetForeground(x(), gc, kMark);
        XFillRectangle(x(), DefaultRootWindow(x()), gc, at.x, at.y, 2, 2);
        XFreeGC(x(), gc);
        XSync(x(), False);
    }
};

TEST_P(ChangeDriven, StillScreenGivesNoFramesAndAChangeInTheViewShows) {
    start(GetParam().env);
    ASSERT_TRUE(place_client(kWindowPlace));
    ASSERT_TRUE(shows_magnified(kCursor, 2));
    WindowFrames frames(x(), window_);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(frames.take(), 0) << "frames over a still screen";

    // Outside the 100 x 100 pixels shown: still nothing.
    mark(Point{kCursor.x + 60, kCursor.y});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(frames.take(), 0) << "frames after a change outside the view";

    // Under the cursor: the middle of the view turns to the mark's colour.
    mark(kCursor);
    const Rect client = desktop().client_geometry(window_);
    const Rect middle{client.x + client.width / 2, client.y + client.height / 2, 1, 1};
    const auto seen = wait_for_value([&] { return grab_screen(x(), middle).at(0, 0); },
                                     [](std::uint32_t rgb) { return rgb == kMark; }, kTimeout);
    EXPECT_TRUE(seen.ok) << "the middle of the view shows " << hex_colour(seen.last);
    EXPECT_GT(frames.take(), 0);

    // Moved by another program, which raw motion does not report, after more than a second of
    // stillness: the view still follows.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    const Point warped{kCursor.x + 300, kCursor.y + 200};
    XWarpPointer(x(), None, DefaultRootWindow(x()), 0, 0, 0, 0, warped.x, warped.y);
    XSync(x(), False);
    const std::uint32_t wanted = UniquePattern::colour(warped.x, warped.y);
    const auto followed = wait_for_value([&] { return grab_screen(x(), middle).at(0, 0); },
                                         [&](std::uint32_t rgb) { return rgb == wanted; }, kTimeout);
    EXPECT_TRUE(followed.ok) << "after a warp the middle of the view shows " << hex_colour(followed.last);
    EXPECT_TRUE(closes_cleanly());
}

INSTANTIATE_TEST_SUITE_P(Sources, ChangeDriven,
                         ::testing::Values(Mode{"ChangeEvents", {}},
                                           Mode{"PixelsCompared", {{"MAGNIFIER_NO_CHANGE_EVENTS", "1"}}}),
                         [](const ::testing::TestParamInfo<Mode>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
