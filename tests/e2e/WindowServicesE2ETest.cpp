// What the magnifier asks of the window system: to stay above the other windows, and the mouse
// wheel over its window as a zoom control.
#include <algorithm>

#include "DesktopSuite.h"

namespace e2e {
namespace {

// Green with no red: never a colour of the pattern (whose red is 0x80 or more), never black.
constexpr std::uint32_t kCoverColour = 0x00c000;
constexpr Point kFarCursor{400, 300};

class MagnifierWindowServices : public DesktopSuite<MagnifierWindowServices> {
protected:
    // The wheel acts on the window under the pointer.
    void point_at_window() {
        const Rect client = desktop().client_geometry(window_);
        desktop().move_mouse(Point{client.x + client.width / 2, client.y + client.height / 2});
    }
};

bool contains(const std::vector<std::string>& atoms, const std::string& atom) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

std::string join(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "(none)" : text;
}

TEST_F(MagnifierWindowServices, IsAboveOtherWindowsFromTheStart) {
    start();
    // Read at once, without waiting: the state must be there when the window first shows.
    const std::vector<std::string> state = desktop().wm_state(window_);
    EXPECT_TRUE(contains(state, "_NET_WM_STATE_ABOVE")) << "_NET_WM_STATE: " << join(state);
}

TEST_F(MagnifierWindowServices, StaysAboveAnOverlappingWindowActivatedAfterIt) {
    start();
    ASSERT_TRUE(place_client(Point{1500, 760}));
    const Rect outer = desktop().outer_geometry(window_);
    // Covers the whole frame with room to spare, and stays clear of what the magnifier shows
    // around kFarCursor.
    const Rect cover = outer.grown(30);
    ColourWindow other(x(), cover, kCoverColour, "e2e cover");
    std::vector<WindowId> stacking;
    ASSERT_TRUE(wait_until(
        [&] {
            stacking = desktop().stacking_order();
            return std::find(stacking.begin(), stacking.end(), other.id()) != stacking.end();
        },
        kTimeout))
        << "the window manager did not manage the covering window " << hex_id(other.id());
    const auto placed = wait_for_value([&] { return desktop().client_geometry(other.id()); },
                                       [&](const Rect& r) { return r == cover; }, kTimeout);
    ASSERT_TRUE(placed.ok) << "test set-up: the covering window is at " << to_string(placed.last) << ", not "
                           << to_string(cover);

    desktop().activate(other.id());
    const auto active = wait_for_value([&] { return desktop().active_window(); },
                                       [&](const std::optional<WindowId>& w) { return w == other.id(); }, kTimeout);
    ASSERT_TRUE(active.ok) << "test set-up: the covering window was not activated; active is "
                           << (active.last ? hex_id(*active.last) : "none");

    // The covering window is on the screen where the magnifier is not: it was really shown.
    const Image corner = grab_screen(x(), Rect{cover.x, cover.y, 10, 10});
    EXPECT_EQ(corner.at(5, 5), kCoverColour) << "the covering window does not show at " << to_string(cover);

    const auto order = wait_for_value([&] { return desktop().stacking_order(); },
                                      [&](const std::vector<WindowId>& s) {
                                          const auto mine = std::find(s.begin(), s.end(), window_);
                                          const auto theirs = std::find(s.begin(), s.end(), other.id());
                                          return mine != s.end() && theirs != s.end() && mine > theirs;
                                      },
                                      kTimeout);
    std::string listed;
    for (WindowId id : order.last) listed += hex_id(id) + " ";
    EXPECT_TRUE(order.ok) << "_NET_CLIENT_LIST_STACKING (bottom to top): " << listed << "; magnifier "
                          << hex_id(window_) << ", covering window " << hex_id(other.id());
    // On the screen, the magnifier's client area shows the magnified view, not the colour.
    EXPECT_TRUE(shows_magnified(kFarCursor, 2));
}

TEST_F(MagnifierWindowServices, WheelForwardZoomsInAndBackwardZoomsOut) {
    start();
    point_at_window();
    desktop().click(4);
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
    desktop().click(5);
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    desktop().click(5);
    EXPECT_TRUE(shows_caption(zoom_caption(1)));
}

TEST_F(MagnifierWindowServices, WheelWithCtrlHeldZoomsTheSame) {
    start();
    point_at_window();
    desktop().click(4, {"ctrl"});
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
    desktop().click(4, {"ctrl"});
    EXPECT_TRUE(shows_caption(zoom_caption(4)));
    desktop().click(5, {"ctrl"});
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
}

TEST_F(MagnifierWindowServices, WheelStopsAtEighteenAndAtOne) {
    start();
    point_at_window();
    desktop().click(4, {}, 16);
    ASSERT_TRUE(shows_caption(zoom_caption(18)));
    // 17 only if the extra steps were ignored (without a limit: 19, 20, 21, then 20).
    desktop().click(4, {}, 3);
    desktop().click(5);
    EXPECT_TRUE(shows_caption(zoom_caption(17)));
    desktop().click(5, {}, 16);
    ASSERT_TRUE(shows_caption(zoom_caption(1)));
    // 2 only if the extra steps were ignored (without a limit: 0, -1, -2, then -1).
    desktop().click(5, {}, 3);
    desktop().click(4);
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
}

}  // namespace
}  // namespace e2e
