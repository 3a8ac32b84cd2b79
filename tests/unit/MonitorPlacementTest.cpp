// The restored window on a desktop of several monitors: bounded by the monitor its saved
// rectangle overlaps most, or by the primary one when it overlaps none; and the monitor query
// that decides it.
#include <gtest/gtest.h>

#include "StartedMagnifier.h"
#include "capture/Capture.h"
#include "platform/soft/DpiChange.h"
#include "platform/soft/MonitorLayout.h"

namespace {

using platform::MonitorInfo;
using platform::Rect;
using namespace testsupport;

constexpr float kTwips = 15.0f;

MonitorInfo monitor(Rect area, bool primary = false) { return MonitorInfo{area, area, primary}; }

class MonitorPlacementTest : public MagnifierTest {
protected:
    void store(int left, int top, int width, int height) {
        storeSetting(fake, "WindowWidth", width);
        storeSetting(fake, "WindowHeight", height);
        storeSetting(fake, "WindowLeft", left);
        storeSetting(fake, "WindowTop", top);
    }
    ::testing::AssertionResult placedAt(int left, int top, int width, int height) const {
        const int l = base::twipsToPixels(form->Left()), t = base::twipsToPixels(form->Top());
        if (l == left && t == top && form->outerWidth() == width && form->outerHeight() == height) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "placed at " << l << "," << t << " " << form->outerWidth() << "x" << form->outerHeight()
               << ", expected " << left << "," << top << " " << width << "x" << height;
    }
};

TEST(MonitorLayout, ChoosesTheMonitorOverlappedMostOrWhatTheFlagsAsk) {
    platform::soft::MonitorLayout layout;
    layout.set({monitor({0, 0, 1920, 1080}), monitor({1920, 0, 3200, 1024}, true)}, 0, 0);
    EXPECT_EQ(layout.fromRect({1800, 10, 2100, 300}, platform::MONITOR_DEFAULTTONULL), 2u);  // 180 vs 120 wide
    EXPECT_EQ(layout.fromRect({1700, 10, 2000, 300}, platform::MONITOR_DEFAULTTONULL), 1u);
    EXPECT_EQ(layout.fromRect({0, 2000, 10, 2010}, platform::MONITOR_DEFAULTTONULL), 0u);
    EXPECT_EQ(layout.fromRect({0, 2000, 10, 2010}, platform::MONITOR_DEFAULTTOPRIMARY), 2u);
    EXPECT_EQ(layout.fromRect({0, 2000, 10, 2010}, platform::MONITOR_DEFAULTTONEAREST), 1u);
    MonitorInfo info;
    ASSERT_TRUE(layout.info(2, info));
    EXPECT_EQ(info.monitor.left, 1920);
    EXPECT_TRUE(info.primary);
    EXPECT_FALSE(layout.info(3, info));
    EXPECT_EQ(layout.handles(), (std::vector<platform::Handle>{1, 2}));
    // Nothing listed: the whole screen is the one monitor, and the primary.
    layout.set({}, 800, 600);
    ASSERT_TRUE(layout.info(layout.fromRect({5000, 5000, 5001, 5001}, platform::MONITOR_DEFAULTTOPRIMARY), info));
    EXPECT_EQ(info.monitor.right, 800);
    EXPECT_TRUE(info.primary);
    // None marked: the one at the origin.
    layout.set({monitor({1920, 0, 3200, 720}), monitor({0, 0, 1920, 1200})}, 0, 0);
    EXPECT_EQ(layout.fromRect({5000, 5000, 5001, 5001}, platform::MONITOR_DEFAULTTOPRIMARY), 2u);
    EXPECT_EQ(platform::soft::overlapArea({0, 0, 10, 10}, {5, 5, 20, 20}), 25);
    // None marked: the one at the origin.
    layout.set({monitor({1920, 0, 3200, 720}), monitor({0, 0, 1920, 1200})}, 0, 0);
    EXPECT_EQ(layout.fromRect({5000, 5000, 5001, 5001}, platform::MONITOR_DEFAULTTOPRIMARY), 2u);
    EXPECT_EQ(platform::soft::overlapArea({0, 0, 10, 10}, {10, 0, 20, 10}), 0);
}

TEST_F(MonitorPlacementTest, ASecondMonitorRightOfThePrimaryKeepsPositionAndALargerSize) {
    fake.windows.setMonitors({monitor({0, 0, 1920, 1080}, true), monitor({1920, 0, 3200, 1024})});
    store(1990, 77, 1200, 900);
    start();
    EXPECT_TRUE(placedAt(1990, 77, 1200, 900));
    fake.windows.setMonitors({monitor({0, 0, 1024, 768}, true), monitor({1024, 0, 2304, 1024})});
    app::FrmMain next(fake.toolkit);
    next.start();
    form = fake.toolkit.lastForm();
    EXPECT_TRUE(placedAt(1104, 77, 1200, 900));  // moved in by what overhung the second's edge
}

TEST_F(MonitorPlacementTest, OnNoMonitorTheWindowGoesToThePrimary) {
    // A tall primary and a short monitor right of it: the saved place is below the short one.
    fake.windows.setMonitors({monitor({0, 0, 1920, 1200}, true), monitor({1920, 0, 3200, 720})});
    store(2800, 1000, 400, 300);
    start();
    EXPECT_TRUE(placedAt(1520, 900, 400, 300));
}

TEST_F(MonitorPlacementTest, AMonitorThatShrankKeepsTheWindowWhollyOnIt) {
    fake.windows.setMonitors({monitor({0, 0, 1920, 1080}, true), monitor({1920, 0, 3200, 720})});
    store(2000, 600, 1500, 900);
    start();
    EXPECT_TRUE(placedAt(1920, 0, 1280, 720));
}

TEST_F(MonitorPlacementTest, TheWorkAreaBoundsAndTheMonitorOverlappedMostWins) {
    MonitorInfo second = monitor({1920, 0, 3840, 1080});
    second.work = Rect{1920, 0, 3840, 1040};  // a task bar along the bottom
    fake.windows.setMonitors({monitor({0, 0, 1920, 1080}, true), second});
    store(1800, 900, 400, 300);  // 280 of its 400 pixels' width lie on the second
    start();
    EXPECT_TRUE(placedAt(1920, 740, 400, 300));
}

TEST_F(MonitorPlacementTest, WithoutASavedPositionTheSizeIsBoundedByTheMonitorTheWindowIsOn) {
    fake.windows.setMonitors({monitor({0, 0, 800, 600}, true), monitor({800, 0, 2800, 1500})});
    storeSetting(fake, "WindowWidth", 1500);
    storeSetting(fake, "WindowHeight", 1200);
    start();
    EXPECT_EQ(form->outerWidth(), 800);  // created on the primary
    EXPECT_EQ(form->outerHeight(), 600);
}

TEST_F(MonitorPlacementTest, AMonitorLeftOfThePrimaryIsReachedOnlyFromZero) {
    // Stored positions cannot be negative: a window left there comes back at the primary's edge.
    fake.windows.setMonitors({monitor({0, 0, 1920, 1080}, true), monitor({-1280, 0, 0, 1024})});
    start();
    form->setLeft(-1000 * kTwips);
    form->setTop(100 * kTwips);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowLeft"), 0);
    app::FrmMain second(fake.toolkit);
    second.start();
    EXPECT_FLOAT_EQ(fake.toolkit.lastForm()->Left(), 0);
    EXPECT_FLOAT_EQ(fake.toolkit.lastForm()->Top(), 100 * kTwips);
}

}  // namespace

namespace {

using namespace testsupport;

class MinimisedCloseTest : public MagnifierTest {};

TEST_F(MinimisedCloseTest, ClosedWhileMinimisedStoresTheGeometryItComesBackTo) {
    start();
    form->userResize(640, 480);
    form->setLeft(1100 * 15.0f);
    form->setTop(300 * 15.0f);
    form->setWindowState(platform::WINDOW_MINIMIZED);
    platform::Rect icon;
    ASSERT_TRUE(fake.windows.GetWindowRect(hwnd, icon));
    ASSERT_EQ(icon.right - icon.left, 160) << "test set-up: the window system shows the icon's rectangle";
    ASSERT_TRUE(form->close());
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowLeft"), 1100);
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowTop"), 300);
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowWidth"), 640);
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowHeight"), 480);
}

}  // namespace

namespace {

using namespace testsupport;

class DpiChangeTest : public StartedMagnifierTest {};

TEST_F(DpiChangeTest, TheWindowKeepsItsPixelSizeAndTakesTheSuggestedPlace) {
    form->userResize(400, 300);
    const int clientWidth = form->clientWidth(), clientHeight = form->clientHeight();
    // Onto a monitor at 150 %: the system suggests the window one and a half times as large.
    form->dpiChanged(platform::Rect{1930, 50, 1930 + 600, 50 + 450});
    EXPECT_FLOAT_EQ(form->Left(), 1930 * 15.0f);
    EXPECT_FLOAT_EQ(form->Top(), 50 * 15.0f);
    EXPECT_EQ(form->outerWidth(), 400);
    EXPECT_EQ(form->outerHeight(), 300);
    EXPECT_EQ(form->clientWidth(), clientWidth);
    EXPECT_EQ(form->clientHeight(), clientHeight);
    const platform::Rect kept = platform::soft::keepPixelSize({10, 20, 110, 220}, {-500, 7, 0, 400});
    EXPECT_EQ(kept.left, -500);
    EXPECT_EQ(kept.top, 7);
    EXPECT_EQ(kept.right, -400);
    EXPECT_EQ(kept.bottom, 207);
}

}  // namespace

namespace {

using namespace testsupport;

TEST(UncoveredAreas, AreThePartsNoMonitorShowsWithinTheMonitorsBounds) {
    const std::vector<Rect> tallAndShort{{0, 0, 1920, 1200}, {1920, 0, 3200, 720}};
    const std::vector<Rect> under = capture::uncoveredAreas({1900, 700, 1940, 740}, tallAndShort);
    ASSERT_EQ(under.size(), 1u);
    EXPECT_EQ(under[0].left, 1920);
    EXPECT_EQ(under[0].top, 720);
    EXPECT_EQ(under[0].right, 1940);
    EXPECT_EQ(under[0].bottom, 740);
    EXPECT_TRUE(capture::uncoveredAreas({100, 100, 300, 300}, tallAndShort).empty());
    // Beyond all monitors is left to the capture, which leaves it black anyway.
    EXPECT_TRUE(capture::uncoveredAreas({-10, -10, 10, 10}, {{0, 0, 100, 100}}).empty());
    EXPECT_TRUE(capture::uncoveredAreas({0, 0, 10, 10}, {}).empty());
    // A gap between two monitors, inside the area: one piece above and below cut by both.
    const std::vector<Rect> apart{{0, 0, 100, 100}, {150, 0, 250, 100}};
    long total = 0;
    for (const Rect& r : capture::uncoveredAreas({50, 10, 200, 20}, apart))
        total += long{r.right - r.left} * (r.bottom - r.top);
    EXPECT_EQ(total, 50 * 10);
}

TEST(DeadAreas, TheViewShowsBlackWhereNoMonitorIs) {
    platform::fake::FakePlatform fake(3200, 1200);
    paintDistinctScreen(fake);
    fake.windows.setMonitors({monitor({0, 0, 1920, 1200}, true), monitor({1920, 0, 3200, 720})});
    app::FrmMain window(fake.toolkit);
    window.start();
    platform::fake::FakeForm& form = *fake.toolkit.lastForm();
    fake.windows.setCursor(1930, 715);
    form.tick();
    const long left = 1930 - form.clientWidth() / 4, top = 715 - form.clientHeight() / 4;
    int wrong = 0, black = 0;
    for (int cy = 0; cy < form.clientHeight(); ++cy) {
        for (int cx = 0; cx < form.clientWidth(); ++cx) {
            const long sx = left + cx / 2, sy = top + cy / 2;
            const bool dead = sx >= 1920 && sy >= 720;
            const std::uint32_t want = dead ? 0u : screenOrBlack(fake.screen, sx, sy);
            if (form.clientPixel(cx, cy) != want) ++wrong;
            if (dead) ++black;
        }
    }
    EXPECT_GT(black, 1000) << "test set-up: the view reaches into the dead area";
    EXPECT_EQ(wrong, 0);
}

}  // namespace
