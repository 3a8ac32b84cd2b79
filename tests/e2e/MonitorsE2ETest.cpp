// Several monitors on one screen (RandR monitors, as xrandr --setmonitor makes them): the window
// comes back on the monitor it was left on, wholly on it, and never in an area no monitor shows.
#include <algorithm>
#include <sstream>

#include "DesktopSuite.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

using Monitor = VirtualDisplay::Monitor;

std::string describe(const std::vector<Monitor>& monitors) {
    std::ostringstream text;
    for (const Monitor& m : monitors) text << " " << m.width << "x" << m.height << "+" << m.x << "+" << m.y;
    return text.str();
}

class MagnifierMonitors : public DesktopSuite<MagnifierMonitors> {
public:
    static VirtualDisplay::Options display_options() { return VirtualDisplay::Options{3200, 1200, 24}; }

protected:
    void TearDown() override {
        run_.reset();
        if (display_) display_->set_monitors({});
    }

    void store(int left, int top, int width, int height) {
        run_.reset();  // a run ended later would store its own placement over this one
        std::string text =
            "REGEDIT4\n\n[" + kOrlendaKey + "]\n" + word_line("Language", 1) + "\n\n[" + kMagnifierKey + "]\n";
        for (const auto& [name, value] : std::vector<std::pair<std::string, int>>{
                 {"WindowWidth", width}, {"WindowHeight", height}, {"WindowLeft", left}, {"WindowTop", top}})
            text += word_line(name, value) + "\n";
        write_file(config_.path() / "Orlenda" / "registry.reg", text);
    }

    // Starts on the monitors with the stored placement and gives the outer frame once the
    // window manager has framed the window.
    Rect start_on(const std::vector<Monitor>& monitors) {
        monitors_ = monitors;
        display_->set_monitors(monitors);
        start({}, config_.path());
        const auto framed = wait_for_value([&] { return desktop().frame_extents(window_); },
                                           [](const auto& f) { return f.has_value(); }, kTimeout);
        frame_ = framed.last.value_or(FrameExtents{});
        return desktop().outer_geometry(window_);
    }

    // The whole title bar and at least half the window on one monitor.
    ::testing::AssertionResult on_a_monitor(const Rect& outer) const {
        const Rect title{outer.x, outer.y, outer.width, frame_.top};
        for (const Monitor& m : monitors_) {
            const int left = std::max(outer.x, m.x), right = std::min(outer.x + outer.width, m.x + m.width);
            const int top = std::max(outer.y, m.y), bottom = std::min(outer.y + outer.height, m.y + m.height);
            const long shown = right > left && bottom > top ? long{right - left} * (bottom - top) : 0;
            const bool titleOn = title.x >= m.x && title.x + title.width <= m.x + m.width && title.y >= m.y &&
                                 title.y + title.height <= m.y + m.height;
            if (titleOn && 2 * shown >= long{outer.width} * outer.height) return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "outer frame " << to_string(outer) << " (title bar " << frame_.top
                                             << " high) is not on one of the monitors" << describe(monitors_);
    }

    TempDir config_{"magnifier-e2e-config"};
    std::vector<Monitor> monitors_;
    FrameExtents frame_;
};

// A tall primary and a short monitor right of it, with no monitor under the short one.
const std::vector<Monitor> kTallAndShort{{0, 0, 1920, 1200}, {1920, 0, 1280, 720}};

TEST_F(MagnifierMonitors, TwoMonitorsOfDifferentSizesKeepTheWindowOnTheOneItWasOn) {
    // Left on the short monitor: back there as it was.
    store(2100, 100, 400, 300);
    Rect outer = start_on(kTallAndShort);
    EXPECT_EQ(outer, (Rect{2100, 100, 400, 300})) << to_string(outer);
    EXPECT_TRUE(on_a_monitor(outer));
    // Larger than the short monitor: bounded by it, not by the screen.
    store(2000, 100, 1500, 900);
    outer = start_on(kTallAndShort);
    EXPECT_EQ(outer, (Rect{1920, 0, 1280, 720})) << to_string(outer);
    // Stored when the short monitor was taller, now on no monitor: on the primary.
    store(2800, 1000, 400, 300);
    outer = start_on(kTallAndShort);
    EXPECT_EQ(outer, (Rect{1520, 900, 400, 300})) << to_string(outer);
    EXPECT_TRUE(on_a_monitor(outer));
}

TEST_F(MagnifierMonitors, AMonitorThatShrinksBetweenRunsKeepsTheWindowOnIt) {
    store(2200, 700, 400, 400);
    Rect outer = start_on({{0, 0, 1920, 1200}, {1920, 0, 1280, 1200}});
    ASSERT_EQ(outer, (Rect{2200, 700, 400, 400})) << to_string(outer);
    desktop().move(window_, 2300 + frame_.left, 500 + frame_.top);  // the move places the client
    const auto moved = wait_for_value([&] { return desktop().outer_geometry(window_); },
                                      [](const Rect& r) { return r.x == 2300 && r.y == 500; }, kTimeout);
    ASSERT_TRUE(moved.ok) << "test set-up: the window manager kept the frame at " << to_string(moved.last);
    ASSERT_TRUE(closes_cleanly());
    outer = start_on(kTallAndShort);
    EXPECT_EQ(outer, (Rect{2300, 320, 400, 400})) << to_string(outer);
    EXPECT_TRUE(on_a_monitor(outer));
}

TEST_F(MagnifierMonitors, ThreeMonitorsWithOneLeftOfThePrimaryAndLower) {
    // The primary in the middle; left of it a monitor that starts lower down, right of it a small one.
    const std::vector<Monitor> three{{1280, 0, 1280, 1024}, {0, 400, 1280, 800}, {2560, 0, 640, 480}};
    store(100, 0, 300, 250);  // above the left monitor, where no monitor shows
    Rect outer = start_on(three);
    EXPECT_EQ(outer, (Rect{1280, 0, 300, 250})) << to_string(outer);
    EXPECT_TRUE(on_a_monitor(outer));
    store(100, 500, 300, 250);  // on the left one
    outer = start_on(three);
    EXPECT_EQ(outer, (Rect{100, 500, 300, 250})) << to_string(outer);
    store(2700, 100, 600, 500);  // on the small one, larger than it
    outer = start_on(three);
    EXPECT_EQ(outer, (Rect{2600, 0, 600, 480})) << to_string(outer);
    EXPECT_TRUE(on_a_monitor(outer));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST_F(MagnifierMonitors, ClosedWhileMinimisedStoresWhereItWasAndAreasOfNoMonitorShowBlack) {
    store(2100, 100, 400, 300);
    const Rect outer = start_on(kTallAndShort);
    ASSERT_EQ(outer, (Rect{2100, 100, 400, 300})) << to_string(outer);
    // Under the short monitor no monitor shows anything: black, like beyond the screen.
    EXPECT_TRUE(view().shows_magnified(
        Point{1930, 715}, 2, Point{3200, 1200}, kHintRows, std::chrono::milliseconds(30), [](int x, int y) {
            const bool off = x < 0 || y < 0 || x >= 3200 || y >= 1200;
            return off || (x >= 1920 && y >= 720) ? 0u : UniquePattern::tiled_colour(x, y);
        }));
    run_checked({"xdotool", "windowminimize", std::to_string(window_)}, desktop().env());
    const auto hidden = wait_for_value([&] { return desktop().wm_state(window_); },
                                       [](const std::vector<std::string>& s) {
                                           return std::find(s.begin(), s.end(), "_NET_WM_STATE_HIDDEN") != s.end();
                                       },
                                       kTimeout);
    ASSERT_TRUE(hidden.ok) << "test set-up: the window manager did not minimise the window";
    ASSERT_TRUE(closes_cleanly());
    const auto file = stored_settings();
    ASSERT_TRUE(file) << run_->settings_file() << " is missing";
    EXPECT_EQ(file->word(kMagnifierKey, "WindowLeft"), 2100) << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowTop"), 100) << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowWidth"), 400) << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowHeight"), 300) << file_text();
}

}  // namespace
}  // namespace e2e
