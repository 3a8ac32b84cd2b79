// The pixel tools as a user meets them on the Linux build: Space freezes the view while the screen
// and the pointer change, zoom re-renders the frozen picture, Escape lets it follow again; Ctrl+C
// puts the colour's text on the X clipboard and Ctrl+Shift+C the view's picture; G draws the grid
// at zoom 4 and 8 and nothing at 3; the arrow keys move the pointer; Ctrl+S saves the view through
// Qt's file dialog as a PNG holding exactly the view's pixels.
#include <filesystem>
#include <string>

#include "DesktopSuite.h"
#include "harness/PngFile.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

constexpr Point kWindowPlace{1500, 760};
constexpr Point kFarCursor{400, 300};
// The frozen marker and the information line are painted over the top rows.
constexpr int kMarkerRows = 34;

class PixelToolsE2E : public DesktopSuite<PixelToolsE2E> {
protected:
    void TearDown() override {
        paint_pattern();  // for the next test, whatever this one left
        DesktopSuite::TearDown();
    }
    void start_placed() {
        start();
        ASSERT_TRUE(place_client(kWindowPlace));
        ASSERT_TRUE(shows_magnified(kFarCursor, 2));
        desktop().activate(window_);
    }
    Rect client() const { return desktop().client_geometry(window_); }
    // Waits until the view, apart from its text rows, shows `screen` around `centre` at `zoom`.
    ::testing::AssertionResult keeps_showing(Point centre, int zoom, const ScreenModel& screen) const {
        const Rect c = client();
        const Magnification view{centre, c.width, c.height, zoom};
        const auto seen = wait_for_value(
            [&] {
                return compare_magnified_where(
                    grab_screen(x(), c), view, screen,
                    [&](int, int y) { return y >= kMarkerRows && y < c.height - kHintRows; }, 1000);
            },
            [](const std::string& mismatch) { return mismatch.empty(); }, kTimeout);
        if (seen.ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << seen.last;
    }
    std::string clipboard(const std::string& type = "") const {
        std::vector<std::string> argv{"xclip", "-selection", "clipboard", "-o"};
        if (!type.empty()) argv.insert(argv.end(), {"-t", type});
        return run_command(argv, desktop().env(), std::chrono::milliseconds(5000)).out;
    }
    static ScreenModel pattern() { return pattern_screen(kScreenWidth, kScreenHeight); }
};

TEST_F(PixelToolsE2E, FreezeHoldsTheViewWhileTheScreenChangesAndThePointerMovesZoomsAndLetsGo) {
    start_placed();
    desktop().key({"space"});
    // Another picture on the whole screen, and the pointer elsewhere.
    Image other = UniquePattern::image(kScreenWidth, kScreenHeight);
    for (auto& pixel : other.pixels) pixel ^= 0x00FFFFFFu;
    paint_root_background(x(), other);
    desktop().move_mouse(Point{900, 500});
    EXPECT_TRUE(keeps_showing(kFarCursor, 2, pattern()));
    // Zoom re-renders the kept picture around the same centre.
    desktop().key({"KP_Add"});
    ASSERT_TRUE(shows_caption(zoom_caption(3)));
    EXPECT_TRUE(keeps_showing(kFarCursor, 3, pattern()));
    desktop().key({"KP_Subtract", "KP_Subtract"});
    ASSERT_TRUE(shows_caption(zoom_caption(1)));
    EXPECT_TRUE(keeps_showing(kFarCursor, 1, pattern()));
    // Escape: the view follows the pointer over the new picture.
    desktop().key({"Escape"});
    const ScreenModel inverted = [](int sx, int sy) {
        const std::uint32_t p = pattern_screen(kScreenWidth, kScreenHeight)(sx, sy);
        return p == 0 ? 0u : p ^ 0x00FFFFFFu;
    };
    EXPECT_TRUE(keeps_showing(Point{900, 500}, 1, inverted));
}

TEST_F(PixelToolsE2E, CtrlCPutsTheColourOfThePixelOnTheClipboardAndCtrlShiftCTheView) {
    start_placed();
    desktop().key({"ctrl+c"});
    const std::string expected = "#" + hex_colour(UniquePattern::colour(kFarCursor.x, kFarCursor.y)).substr(2);
    const auto text = wait_for_value([&] { return clipboard(); }, [&](const std::string& t) { return t == expected; },
                                     kTimeout, std::chrono::milliseconds(100));
    EXPECT_TRUE(text.ok) << "clipboard holds \"" << text.last << "\", expected " << expected;
    desktop().key({"ctrl+shift+c"});
    const auto png = wait_for_value([&] { return clipboard("image/png"); },
                                    [](const std::string& bytes) { return bytes.size() > 8; }, kTimeout,
                                    std::chrono::milliseconds(100));
    ASSERT_TRUE(png.ok) << "no image on the clipboard";
    const Image image = decode_png(png.last);
    const Rect c = client();
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    // The whole view, the rows under the texts too: the copy has no texts.
    EXPECT_EQ(compare_magnified(image, Magnification{kFarCursor, c.width, c.height, 2}, pattern(), 0), "");
}

TEST_F(PixelToolsE2E, TheGridLiesBetweenEnlargedPixelsAtZoomFourAndEightAndIsGoneAtThree) {
    start_placed();
    desktop().key({"g"});
    for (const int zoom : {4, 8}) {
        desktop().key(std::vector<std::string>(zoom == 4 ? 2 : 4, "KP_Add"));
        ASSERT_TRUE(shows_caption(zoom_caption(zoom)));
        const Rect c = client();
        const Magnification view{kFarCursor, c.width, c.height, zoom};
        const Point origin = view.origin();
        const int boxLeft = (kFarCursor.x - origin.x) * zoom, boxTop = (kFarCursor.y - origin.y) * zoom;
        const auto near_box = [&](int cx, int cy) {
            return cx >= boxLeft - 1 && cx <= boxLeft + zoom + 1 && cy >= boxTop - 1 && cy <= boxTop + zoom + 1;
        };
        const auto on_grid = [&](int cx, int cy) { return (cx > 0 && cx % zoom == 0) || (cy > 0 && cy % zoom == 0); };
        const auto seen = wait_for_value(
            [&] {
                const Image shot = grab_screen(x(), c);
                std::string wrong = compare_magnified_where(
                    shot, view, pattern(),
                    [&](int cx, int cy) { return !on_grid(cx, cy) && !near_box(cx, cy) && cy < c.height - kHintRows; },
                    1000);
                for (int cy = 0; wrong.empty() && cy < c.height - kHintRows; ++cy)
                    for (int cx = 0; wrong.empty() && cx < c.width; ++cx)
                        if (on_grid(cx, cy) && shot.at(cx, cy) != grid_colour(cx, cy))
                            wrong = "grid pixel " + to_string(Point{cx, cy}) + " is " + hex_colour(shot.at(cx, cy));
                return wrong;
            },
            [](const std::string& mismatch) { return mismatch.empty(); }, kTimeout);
        EXPECT_TRUE(seen.ok) << "zoom " << zoom << ": " << seen.last;
    }
    desktop().key(std::vector<std::string>(5, "KP_Subtract"));
    ASSERT_TRUE(shows_caption(zoom_caption(3)));
    EXPECT_TRUE(shows_magnified(kFarCursor, 3));
}

TEST_F(PixelToolsE2E, ArrowKeysMoveThePointerByOneAndWithShiftByTen) {
    start_placed();
    desktop().key({"Right", "Down"});
    EXPECT_TRUE(wait_until([&] { return desktop().mouse() == Point{kFarCursor.x + 1, kFarCursor.y + 1}; }, kTimeout))
        << to_string(desktop().mouse());
    desktop().key({"shift+Left", "shift+Up", "shift+Up"});
    EXPECT_TRUE(wait_until([&] { return desktop().mouse() == Point{kFarCursor.x - 9, kFarCursor.y - 19}; }, kTimeout))
        << to_string(desktop().mouse());
}

TEST_F(PixelToolsE2E, CtrlSSavesTheViewThroughTheFileDialogAsAPngOfItsPixels) {
    const TempDir folder("magnifier-save");
    const std::filesystem::path path = folder.path() / "view.png";
    start_placed();
    desktop().key({"ctrl+s"});
    const auto dialog = wait_for_value([&] { return desktop().find_windows("^Save the view"); },
                                       [](const std::vector<WindowId>& w) { return w.size() == 1; }, kTimeout);
    ASSERT_TRUE(dialog.ok) << "no save dialog";
    desktop().activate(dialog.last.front());
    desktop().key({"ctrl+a"});
    run_checked({"xdotool", "type", "--delay", "5", path.string()}, desktop().env());
    desktop().key({"Return"});
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(path) && std::filesystem::file_size(path) > 8; },
                           kTimeout));
    const Image image = decode_png(read_file(path));
    const Rect c = client();
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    EXPECT_EQ(compare_magnified(image, Magnification{kFarCursor, c.width, c.height, 2}, pattern(), 0), "");
}

}  // namespace
}  // namespace e2e
