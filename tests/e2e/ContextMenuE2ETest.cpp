// The context menu of the real program: where it opens, what its items do when chosen with the
// keyboard, that Escape does nothing, the web-address item with and without a desktop handler,
// and that the view goes on refreshing behind the open menu.
//
// The items top to bottom: title, separator, English, Magyar, separator, Zoom in, Zoom out,
// separator, web address. Down from no selection highlights the title first and skips the
// separators, so Down n times reaches the n-th item that is not a separator.

#include <algorithm>

#include "DesktopSuite.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

constexpr int kToMagyar = 3;
constexpr int kToZoomIn = 4;
constexpr int kToZoomOut = 5;
constexpr int kToWebAddress = 6;
// The menu (about 165x140) fits to the right of and below the cursor here, so the toolkit has
// no reason to move it to keep it on the screen.
constexpr Point kWindowPlace{700, 400};
// Inside the client, near its top-left corner, so the captured area around it reaches past the
// frame to the screen behind.
constexpr Point kInClient{20, 20};
// A background no pattern pixel has (red below 0x80) and that is not black.
constexpr std::uint32_t kPlainBackground = 0x2468ac;

class MagnifierContextMenu : public DesktopSuite<MagnifierContextMenu> {
protected:
    void start_placed(const EnvOverrides& env = {}) {
        start(env);
        ASSERT_TRUE(place_client(kWindowPlace));
        ASSERT_TRUE(shows_caption(zoom_caption(2)));
    }

    Point cursor_in_client() const { return Point{kWindowPlace.x + kInClient.x, kWindowPlace.y + kInClient.y}; }

    // Right-clicks at `at` and waits for a new override-redirect window: the popup.
    std::optional<TopLevel> open_menu(Point at, std::string& seen) {
        // Pointer motion inside the window first, so the click comes after an ordinary approach.
        desktop().move_mouse(Point{at.x + 5, at.y + 5});
        desktop().move_mouse(at);
        const std::vector<TopLevel> before = viewable_top_levels(x());
        desktop().click(3);
        std::vector<TopLevel> fresh;
        wait_until([&] { return !(fresh = new_override_redirect(before, viewable_top_levels(x()))).empty(); },
                   kTimeout);
        if (fresh.size() != 1) {
            seen = "new override-redirect windows after the right click: " + describe(fresh) + "; " + run_->describe();
            return std::nullopt;
        }
        return fresh.front();
    }

    ::testing::AssertionResult menu_closes(const TopLevel& menu) {
        const bool gone = wait_until(
            [&] {
                const auto now = viewable_top_levels(x());
                return std::none_of(now.begin(), now.end(), [&](const TopLevel& w) { return w.id == menu.id; });
            },
            kTimeout);
        if (gone) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the menu " << hex_id(menu.id) << " is still shown after " << kTimeout.count() << " ms";
    }

    void choose(int downs) {
        std::vector<std::string> keys(static_cast<std::size_t>(downs), "Down");
        keys.push_back("Return");
        desktop().key(keys, 40);
    }
};

// A folder with an xdg-open that records its arguments, one a line, in a file beside it.
struct RecordingHandler {
    TempDir bin{"magnifier-e2e-bin"};
    std::filesystem::path calls = bin.path() / "calls";

    RecordingHandler() {
        const auto script = bin.path() / "xdg-open";
        write_file(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + calls.string() + "'; done\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }

    std::string recorded() const { return std::filesystem::exists(calls) ? read_file(calls) : std::string(); }
};

TEST_F(MagnifierContextMenu, RightClickOpensThePopupWithItsTopLeftAtTheCursor) {
    start_placed();
    std::string seen;
    const auto menu = open_menu(cursor_in_client(), seen);
    ASSERT_TRUE(menu) << seen;
    EXPECT_EQ((Point{menu->rect.x, menu->rect.y}), cursor_in_client())
        << "popup " << to_string(menu->rect) << ", cursor " << to_string(cursor_in_client());
    EXPECT_GT(menu->rect.width, 50) << to_string(menu->rect);
    EXPECT_GT(menu->rect.height, 50) << to_string(menu->rect);
    desktop().key({"Escape"});
    EXPECT_TRUE(menu_closes(*menu));
}

TEST_F(MagnifierContextMenu, ChoosingMagyarSwitchesToHungarianAndStoresItAtOnce) {
    start_placed();
    ASSERT_TRUE(stores_word(kOrlendaKey, "Language", 1));
    std::string seen;
    const auto menu = open_menu(cursor_in_client(), seen);
    ASSERT_TRUE(menu) << seen;
    choose(kToMagyar);
    EXPECT_TRUE(menu_closes(*menu));
    EXPECT_TRUE(shows_caption(kHungarianCaption));
    EXPECT_TRUE(stores_word(kOrlendaKey, "Language", 0));
    EXPECT_TRUE(run_->process().running()) << run_->describe();
}

TEST_F(MagnifierContextMenu, ChoosingZoomInAndZoomOutChangesTheZoom) {
    start_placed();
    std::string seen;
    auto menu = open_menu(cursor_in_client(), seen);
    ASSERT_TRUE(menu) << seen;
    choose(kToZoomIn);
    EXPECT_TRUE(menu_closes(*menu));
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
    menu = open_menu(cursor_in_client(), seen);
    ASSERT_TRUE(menu) << seen;
    choose(kToZoomOut);
    EXPECT_TRUE(menu_closes(*menu));
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
}

TEST_F(MagnifierContextMenu, EscapeClosesTheMenuAndChangesNothing) {
    start_placed();
    ASSERT_TRUE(stores_word(kOrlendaKey, "Language", 1));
    const std::string file_before = file_text();
    std::string seen;
    const auto menu = open_menu(cursor_in_client(), seen);
    ASSERT_TRUE(menu) << seen;
    // With "Zoom in" highlighted, so an Escape taken for Return would show.
    desktop().key(std::vector<std::string>(kToZoomIn, "Down"), 40);
    desktop().key({"Escape"});
    ASSERT_TRUE(menu_closes(*menu));
    // A key after the menu closed: its effect marks the point by which anything the Escape
    // did would have shown. 3 only if the Escape changed nothing (zoomed in, it would be 4).
    desktop().activate(window_);
    desktop().key({"KP_Add"});
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
    EXPECT_EQ(file_text(), file_before);
}

TEST_F(MagnifierContextMenu, WebAddressRunsTheDesktopHandlerWithTheAddress) {
    RecordingHandler handler;
    start_placed({{"PATH", handler.bin.str()}});
    ASSERT_TRUE(stores_word(kOrlendaKey, "Language", 1));
    std::string seen;
    const auto menu = open_menu(cursor_in_client(), seen);
    ASSERT_TRUE(menu) << seen;
    choose(kToWebAddress);
    EXPECT_TRUE(menu_closes(*menu));
    const auto recorded = wait_for_value([&] { return handler.recorded(); },
                                         [](const std::string& text) { return !text.empty(); }, kTimeout);
    EXPECT_EQ(recorded.last, "http://www.orlenda.hu/\n") << "the handler was called with (one argument a line):\n"
                                                         << recorded.last;
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    EXPECT_TRUE(stores_word(kOrlendaKey, "Language", 1));
    EXPECT_TRUE(run_->process().running()) << run_->describe();
    // Still at work: the view follows the cursor.
    EXPECT_TRUE(shows_magnified(Point{300, 200}, 2));
}

TEST_F(MagnifierContextMenu, WebAddressWithoutAHandlerChangesNothingAndKeepsRunning) {
    // The program is started by its full path; an empty folder as the whole PATH leaves it
    // nothing to run.
    TempDir empty("magnifier-e2e-bin");
    start_placed({{"PATH", empty.str()}});
    ASSERT_TRUE(stores_word(kOrlendaKey, "Language", 1));
    const std::string file_before = file_text();
    const std::vector<TopLevel> windows_before = viewable_top_levels(x());
    std::string seen;
    const auto menu = open_menu(cursor_in_client(), seen);
    ASSERT_TRUE(menu) << seen;
    choose(kToWebAddress);
    ASSERT_TRUE(menu_closes(*menu));
    // A key after the menu closed, whose effect marks when whatever the item did has shown.
    desktop().activate(window_);
    desktop().key({"KP_Add"});
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
    EXPECT_TRUE(run_->process().running()) << run_->describe();
    EXPECT_EQ(file_text(), file_before);
    // No new window (a message box, say) appeared.
    std::vector<TopLevel> appeared;
    for (const TopLevel& window : viewable_top_levels(x())) {
        if (std::none_of(windows_before.begin(), windows_before.end(),
                         [&](const TopLevel& old) { return old.id == window.id; })) {
            appeared.push_back(window);
        }
    }
    EXPECT_TRUE(appeared.empty()) << "new windows: " << describe(appeared);
    EXPECT_TRUE(shows_magnified(Point{300, 200}, 3));
}

TEST_F(MagnifierContextMenu, ViewKeepsRefreshingWhileTheMenuIsOpen) {
    start_placed();
    const Rect outer = desktop().outer_geometry(window_);
    const Rect client = desktop().client_geometry(window_);
    const Point cursor = cursor_in_client();
    std::string seen;
    const auto menu = open_menu(cursor, seen);
    ASSERT_TRUE(menu) << seen;

    // The root window repainted whatever happens below, for the tests that follow.
    struct RestorePattern {
        ~RestorePattern() { paint_pattern(); }
    } restore;

    // Only client pixels that show the screen behind the magnifier's own frame and the menu,
    // and that the menu does not hide: those follow the background and nothing else.
    const Magnification view{cursor, client.width, client.height, 2};
    const Rect frame_area = outer.grown(2);
    const Rect menu_area = menu->rect.grown(2);
    const auto shows_background = [&](int cx, int cy) {
        if (cy >= client.height - kHintRows) return false;
        const Rect on_screen{client.x + cx, client.y + cy, 1, 1};
        if (on_screen.intersects(menu_area)) return false;
        const Point source = view.source(cx, cy);
        const Rect pixel{source.x, source.y, 1, 1};
        return !pixel.intersects(frame_area) && !pixel.intersects(menu_area);
    };
    constexpr long long kEnoughPixels = 2000;

    const ScreenModel pattern = pattern_screen(kScreenWidth, kScreenHeight);
    const auto before = wait_for_value(
        [&] {
            return compare_magnified_where(grab_screen(x(), client), view, pattern, shows_background, kEnoughPixels);
        },
        [](const std::string& mismatch) { return mismatch.empty(); }, kTimeout, std::chrono::milliseconds(30));
    ASSERT_TRUE(before.ok) << "with the menu open, before the background changed: " << before.last;

    paint_root_background(
        x(), Image{kScreenWidth, kScreenHeight,
                   std::vector<std::uint32_t>(std::size_t{kScreenWidth} * kScreenHeight, kPlainBackground)});
    const ScreenModel plain = [](int, int) { return kPlainBackground; };
    const auto after = wait_for_value(
        [&] { return compare_magnified_where(grab_screen(x(), client), view, plain, shows_background, kEnoughPixels); },
        [](const std::string& mismatch) { return mismatch.empty(); }, kTimeout, std::chrono::milliseconds(30));
    EXPECT_TRUE(after.ok) << "with the menu open, after the background changed: " << after.last;

    const auto still = viewable_top_levels(x());
    EXPECT_TRUE(std::any_of(still.begin(), still.end(), [&](const TopLevel& w) { return w.id == menu->id; }))
        << "the menu closed while the background changed; the check proves nothing about an open menu";
    desktop().key({"Escape"});
    EXPECT_TRUE(menu_closes(*menu));
}

}  // namespace
}  // namespace e2e
