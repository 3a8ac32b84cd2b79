// magnifier.exe under Wine on a private X server whose whole screen shows a pattern in which every
// pixel is unique: the caption, the magnified view pixel for pixel, the keypad and wheel zoom, the
// topmost state, the context menu's language choice, and the settings in Wine's registry after
// the window is closed; the pixel tools: freeze, the colour's text on the clipboard (Wine hands it
// to the X clipboard, read with xclip), the grid, the arrow keys' nudge and the view saved through
// the common save dialog.
//
// MAGNIFIER_WIN_EXE names the program; WINE_LOADER the Wine loader (wine64 by default).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/Desktop.h"
#include "harness/Magnifier.h"
#include "harness/PngFile.h"
#include "harness/Process.h"
#include "harness/RegFile.h"
#include "harness/Screen.h"
#include "harness/TempDir.h"
#include "harness/ViewChecks.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
// The key hint and the credit line are painted over the bottom rows.
constexpr int kHintRows = 20;
constexpr auto kTimeout = 10000ms;
constexpr Point kWindowPlace{1500, 760};
constexpr Point kFarCursor{400, 300};

std::string environmentOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// The values of one registry key as `reg query` prints them: name -> data in hex.
using RegistryValues = std::map<std::string, std::string>;

class MagnifierUnderWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            program_ = environmentOr("MAGNIFIER_WIN_EXE", "");
            if (program_.empty()) throw std::runtime_error("MAGNIFIER_WIN_EXE is not set");
            loader_ = environmentOr("WINE_LOADER", "wine64");
            prefix_ = std::make_unique<TempDir>("magnifier-wine-e2e");
            display_ = std::make_unique<VirtualDisplay>(VirtualDisplay::Options{kScreenWidth, kScreenHeight, 24});
            paint_root_background(display_->x(), UniquePattern::image(kScreenWidth, kScreenHeight));
            // A new prefix, made without a display so that nothing of it shows on the test screen.
            EnvOverrides boot = wineEnvironment();
            boot["DISPLAY"] = std::nullopt;
            const CommandResult made = run_command({"wineboot", "-i"}, boot, 180000ms);
            if (!made.status.success()) {
                throw std::runtime_error("wineboot -i failed with " + made.status.describe() + ": " + made.err);
            }
            run_command({"wineserver", "-w"}, boot, 60000ms);
        } catch (const std::exception& error) {
            setup_error_ = error.what();
        }
    }

    static void TearDownTestSuite() {
        if (prefix_) {
            try {
                run_command({"wineserver", "-k"}, wineEnvironment(), 30000ms);
            } catch (const std::exception&) {
                // Nothing left to stop.
            }
        }
        display_.reset();
        prefix_.reset();
    }

    static EnvOverrides wineEnvironment() {
        EnvOverrides env = display_ ? display_->env() : EnvOverrides{};
        env["WINEPREFIX"] = prefix_->str();
        env["WINEDEBUG"] = "-all";
        env["WINEDLLOVERRIDES"] = "mscoree=;mshtml=";
        env["WINEARCH"] = "win64";
        return env;
    }

    void SetUp() override {
        ASSERT_TRUE(setup_error_.empty()) << "cannot prepare the test: " << setup_error_;
        // Every run starts from a registry without the program's settings.
        run_command({loader_, "reg", "delete", "HKCU\\Software\\Orlenda", "/f"}, wineEnvironment(), 60000ms);
        desktop_ = std::make_unique<Desktop>(wineEnvironment());
        desktop_->move_mouse(kFarCursor);
    }

    void TearDown() override {
        process_.reset();  // ends the program if a test left it running
    }

    void start(const EnvOverrides& extra = {}) {
        SpawnOptions options;
        options.argv = {loader_, program_};
        options.env = merge(wineEnvironment(), extra);
        process_.emplace(std::move(options));
        const auto found = wait_for_value([&] { return desktop_->find_windows("^(Magnifier|Nagy[^ ]*) \\["); },
                                          [](const std::vector<WindowId>& w) { return w.size() == 1; }, 60000ms,
                                          100ms);
        ASSERT_TRUE(found.ok) << found.last.size() << " magnifier windows after 60 s; " << describe();
        window_ = found.last.front();
    }

    // The checks of what the user sees, shared with the suites of the Linux build.
    ViewChecks view() {
        return ViewChecks(*desktop_, display_->x(), window_, kTimeout, [this] { return describe(); });
    }

    // Moves the window to the lower right, away from what the tests magnify. Wine's window
    // manager integration may leave the client a little right of or below the place asked for.
    void moveAway() { ASSERT_TRUE(view().moves_client_to(kWindowPlace, ViewChecks::Placement::AtLeast)); }

    std::string describe() {
        if (!process_) return "not started";
        std::string text;
        if (auto status = process_->poll()) text += "ended: " + status->describe() + "; ";
        return text + "stderr: " + process_->stderr_text();
    }

    ::testing::AssertionResult shows_caption(const std::string& expected) { return view().shows_caption(expected); }

    ::testing::AssertionResult shows_magnified(Point cursor, int zoom) {
        return view().shows_magnified(cursor, zoom, Point{kScreenWidth, kScreenHeight}, kHintRows, 50ms);
    }

    // Closes the window through the window manager; the program must end with status 0.
    void closeAndExpectSuccess() { EXPECT_TRUE(view().closes_cleanly(*process_, 20000ms)); }

    RegistryValues query(const std::string& key) {
        const CommandResult result = run_command({loader_, "reg", "query", key}, wineEnvironment(), 60000ms);
        RegistryValues values;
        static const std::regex line(R"(^\s+(\S+)\s+REG_BINARY\s+([0-9A-Fa-f]*)\s*$)");
        std::istringstream lines(result.out);
        for (std::string text; std::getline(lines, text);) {
            if (!text.empty() && text.back() == '\r') text.pop_back();
            std::smatch match;
            if (std::regex_match(text, match, line)) values[match[1]] = match[2];
        }
        return values;
    }

    // A stored 2-byte value as a number (low byte first), or -1.
    static long number(const RegistryValues& values, const std::string& name) {
        const auto it = values.find(name);
        if (it == values.end() || it->second.size() != 4) return -1;
        const long low = std::stol(it->second.substr(0, 2), nullptr, 16);
        const long high = std::stol(it->second.substr(2, 2), nullptr, 16);
        return low + 256 * high;
    }

    static inline std::string program_;
    static inline std::string loader_;
    static inline std::unique_ptr<TempDir> prefix_;
    static inline std::unique_ptr<VirtualDisplay> display_;
    static inline std::string setup_error_;
    std::unique_ptr<Desktop> desktop_;
    std::optional<Process> process_;
    WindowId window_ = 0;
};

TEST_F(MagnifierUnderWine, StartsAtZoomTwoAndShowsTheScreenAroundTheCursorExactly) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    EXPECT_TRUE(view().has_client_size(200, 200));
    moveAway();
    EXPECT_TRUE(shows_magnified(kFarCursor, 2));
    // The view follows the cursor.
    EXPECT_TRUE(shows_magnified(Point{kFarCursor.x + 37, kFarCursor.y - 23}, 2));
    // Pixels beyond the screen's edge are black.
    EXPECT_TRUE(shows_magnified(Point{0, 0}, 2));
}

TEST_F(MagnifierUnderWine, KeypadPlusAndMinusZoomInAndOut) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    desktop_->activate(window_);
    desktop_->key({"KP_Add"});
    ASSERT_TRUE(shows_caption("Magnifier [3:1]"));
    EXPECT_TRUE(shows_magnified(kFarCursor, 3));
    desktop_->key({"KP_Subtract", "KP_Subtract"});
    ASSERT_TRUE(shows_caption("Magnifier [1:1]"));
    EXPECT_TRUE(shows_magnified(kFarCursor, 1));
    // Eight steps up from 1, at an odd cursor position: the captured area's edge is a half pixel.
    desktop_->key(std::vector<std::string>(7, "KP_Add"));
    ASSERT_TRUE(shows_caption("Magnifier [8:1]"));
    EXPECT_TRUE(shows_magnified(Point{401, 301}, 8));
}

TEST_F(MagnifierUnderWine, TheWheelZoomsOneStepPerNotch) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    const Rect client = desktop_->client_geometry(window_);
    desktop_->move_mouse(Point{client.x + 100, client.y + 100});
    run_checked({"xdotool", "click", "4"}, desktop_->env());
    ASSERT_TRUE(shows_caption("Magnifier [3:1]"));
    run_checked({"xdotool", "click", "--repeat", "2", "--delay", "50", "5"}, desktop_->env());
    ASSERT_TRUE(shows_caption("Magnifier [1:1]"));
    EXPECT_TRUE(shows_magnified(kFarCursor, 1));
}

TEST_F(MagnifierUnderWine, StaysAboveOtherWindows) {
    start();
    const auto state = wait_for_value(
        [&] {
            return run_command({"xprop", "-id", hex_id(window_), "_NET_WM_STATE"}, desktop_->env()).out;
        },
        [](const std::string& text) { return text.find("_NET_WM_STATE_ABOVE") != std::string::npos; }, kTimeout);
    EXPECT_TRUE(state.ok) << "_NET_WM_STATE: " << state.last;
}

TEST_F(MagnifierUnderWine, ChoosingMagyarFromTheMenuAndClosingSavesTheSettings) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    desktop_->activate(window_);
    desktop_->key({"KP_Add"});
    ASSERT_TRUE(shows_caption("Magnifier [3:1]"));

    // The context menu: title, English, Magyar (the separator is skipped).
    const Rect client = desktop_->client_geometry(window_);
    desktop_->move_mouse(Point{client.x + 60, client.y + 60});
    run_checked({"xdotool", "click", "3"}, desktop_->env());
    std::this_thread::sleep_for(700ms);  // the menu opens
    desktop_->key({"Down", "Down", "Down", "Return"}, 100);
    ASSERT_TRUE(shows_caption("Nagy\xC3\xADt\xC3\xB3 [3:1]"));

    const Rect before = desktop_->client_geometry(window_);
    closeAndExpectSuccess();

    const RegistryValues family = query("HKCU\\Software\\Orlenda");
    EXPECT_EQ(number(family, "Language"), 0) << "Language is " << (family.count("Language") ? family.at("Language") : "missing");
    const RegistryValues own = query("HKCU\\Software\\Orlenda\\Kitmora Magnifier");
    EXPECT_EQ(number(own, "Zoom"), 3);
    // The outer size and position: the client plus the window's frame, as Windows counts it.
    const long width = number(own, "WindowWidth");
    const long height = number(own, "WindowHeight");
    const long left = number(own, "WindowLeft");
    const long top = number(own, "WindowTop");
    EXPECT_GE(width, 200);
    EXPECT_LE(width, 240);
    EXPECT_GE(height, 200);
    EXPECT_LE(height, 260);
    EXPECT_GE(left, before.x - 40);
    EXPECT_LE(left, before.x);
    EXPECT_GE(top, before.y - 60);
    EXPECT_LE(top, before.y);
}

TEST_F(MagnifierUnderWine, EndingTheSessionSavesTheSettingsAndExitsWithStatusZero) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    desktop_->activate(window_);
    desktop_->key({"KP_Add"});
    ASSERT_TRUE(shows_caption("Magnifier [3:1]"));
    // What a logoff sends every window: WM_QUERYENDSESSION, then WM_ENDSESSION.
    run_command({"wineboot", "--end-session"}, wineEnvironment(), 60000ms);
    const auto status = process_->wait_for(20000ms);
    ASSERT_TRUE(status.has_value()) << "still running 20 s after the session ended; " << describe();
    EXPECT_TRUE(status->success()) << describe();
    EXPECT_EQ(number(query("HKCU\\Software\\Orlenda\\Kitmora Magnifier"), "Zoom"), 3);
}

TEST_F(MagnifierUnderWine, ASecondStartRestoresZoomAndLanguage) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    desktop_->activate(window_);
    desktop_->key({"KP_Add", "KP_Add", "KP_Add"});
    ASSERT_TRUE(shows_caption("Magnifier [5:1]"));
    closeAndExpectSuccess();
    run_checked({loader_, "reg", "add", "HKCU\\Software\\Orlenda", "/v", "Language", "/t", "REG_BINARY", "/d",
                 "0000", "/f"},
                wineEnvironment(), 60000ms);
    start();
    EXPECT_TRUE(shows_caption("Nagy\xC3\xADt\xC3\xB3 [5:1]"));
    closeAndExpectSuccess();
}

TEST_F(MagnifierUnderWine, ReportsThePaintedFramesOnRequest) {
    start({{"MAGNIFIER_STATS", "1"}});
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    // A still second paints next to nothing; each of ten pointer moves paints a frame.
    desktop_->move_mouse(kFarCursor);
    std::this_thread::sleep_for(1000ms);
    for (int i = 1; i <= 10; ++i) {
        desktop_->move_mouse(Point{kFarCursor.x + 7 * i, kFarCursor.y});
        std::this_thread::sleep_for(60ms);
    }
    closeAndExpectSuccess();
    const std::string errors = process_->stderr_text();
    static const std::regex frames(R"(magnifier: frames ([0-9]+))");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(errors, match, frames)) << "stderr: " << errors;
    EXPECT_GE(std::stol(match[1]), 10) << "pointer moves were not painted";
    EXPECT_LT(std::stol(match[1]), 40) << "ticks that changed nothing were painted";
}

// The pixel tools. The frozen marker and the information line lie over the top rows.
constexpr int kMarkerRows = 34;

TEST_F(MagnifierUnderWine, SpaceFreezesTheViewOverAChangingScreenZoomKeepsTheCentreAndEscapeLetsGo) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    ASSERT_TRUE(shows_magnified(kFarCursor, 2));
    desktop_->activate(window_);
    desktop_->key({"space"});
    Image other = UniquePattern::image(kScreenWidth, kScreenHeight);
    for (auto& pixel : other.pixels) pixel ^= 0x00FFFFFFu;
    paint_root_background(display_->x(), other);
    desktop_->move_mouse(Point{900, 500});
    const auto keeps = [&](Point centre, int zoom, const ScreenModel& screen) {
        const Rect c = desktop_->client_geometry(window_);
        const Magnification view{centre, c.width, c.height, zoom};
        return wait_for_value(
            [&] {
                return compare_magnified_where(
                    grab_screen(display_->x(), c), view, screen,
                    [&](int, int y) { return y >= kMarkerRows && y < c.height - kHintRows; }, 1000);
            },
            [](const std::string& mismatch) { return mismatch.empty(); }, kTimeout);
    };
    const ScreenModel pattern = pattern_screen(kScreenWidth, kScreenHeight);
    auto seen = keeps(kFarCursor, 2, pattern);
    EXPECT_TRUE(seen.ok) << seen.last;
    desktop_->key({"KP_Add"});
    ASSERT_TRUE(shows_caption("Magnifier [3:1]"));
    seen = keeps(kFarCursor, 3, pattern);
    EXPECT_TRUE(seen.ok) << seen.last;
    desktop_->key({"Escape"});
    const ScreenModel inverted = [&](int x, int y) {
        const std::uint32_t p = pattern(x, y);
        return p == 0 ? 0u : p ^ 0x00FFFFFFu;
    };
    seen = keeps(Point{900, 500}, 3, inverted);
    paint_root_background(display_->x(), UniquePattern::image(kScreenWidth, kScreenHeight));
    EXPECT_TRUE(seen.ok) << seen.last;
}

TEST_F(MagnifierUnderWine, CtrlCPutsTheColourOfThePixelUnderThePointerOnTheClipboard) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    desktop_->move_mouse(kFarCursor);
    desktop_->activate(window_);
    desktop_->key({"ctrl+c"});
    const std::string expected = "#" + hex_colour(UniquePattern::colour(kFarCursor.x, kFarCursor.y)).substr(2);
    const auto text = wait_for_value(
        [&] { return run_command({"xclip", "-selection", "clipboard", "-o"}, desktop_->env(), 5000ms).out; },
        [&](const std::string& t) { return t == expected; }, kTimeout, 200ms);
    EXPECT_TRUE(text.ok) << "clipboard holds \"" << text.last << "\", expected " << expected;
}

TEST_F(MagnifierUnderWine, CtrlShiftCPutsTheEnlargedViewOnTheClipboard) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    ASSERT_TRUE(shows_magnified(kFarCursor, 2));
    desktop_->activate(window_);
    desktop_->key({"ctrl+shift+c"});
    // Wine offers the clipboard's device-independent bitmap to X clients as image/bmp.
    const auto bmp = wait_for_value(
        [&] {
            return run_command({"xclip", "-selection", "clipboard", "-t", "image/bmp", "-o"}, desktop_->env(), 5000ms)
                .out;
        },
        [](const std::string& bytes) { return bytes.size() > 54; }, kTimeout, 200ms);
    ASSERT_TRUE(bmp.ok) << "no picture on the clipboard; it offers: "
                        << run_command({"xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"}, desktop_->env(),
                                       5000ms)
                               .out;
    const Image image = decode_bmp(bmp.last);
    const Rect c = desktop_->client_geometry(window_);
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    EXPECT_EQ(compare_magnified(image, Magnification{kFarCursor, c.width, c.height, 2},
                                pattern_screen(kScreenWidth, kScreenHeight), 0),
              "");
}

TEST_F(MagnifierUnderWine, TheGridLiesBetweenEnlargedPixelsAtZoomFourAndEightAndIsGoneAtThree) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    desktop_->move_mouse(kFarCursor);
    desktop_->activate(window_);
    desktop_->key({"g"});
    for (const int zoom : {4, 8}) {
        desktop_->key(std::vector<std::string>(zoom == 4 ? 2 : 4, "KP_Add"));
        ASSERT_TRUE(shows_caption("Magnifier [" + std::to_string(zoom) + ":1]"));
        const Rect c = desktop_->client_geometry(window_);
        const Magnification view{kFarCursor, c.width, c.height, zoom};
        const Point origin = view.origin();
        const int boxLeft = (kFarCursor.x - origin.x) * zoom, boxTop = (kFarCursor.y - origin.y) * zoom;
        const auto near_box = [&](int cx, int cy) {
            return cx >= boxLeft - 1 && cx <= boxLeft + zoom + 1 && cy >= boxTop - 1 && cy <= boxTop + zoom + 1;
        };
        const auto on_grid = [&](int cx, int cy) { return (cx > 0 && cx % zoom == 0) || (cy > 0 && cy % zoom == 0); };
        const auto seen = wait_for_value(
            [&] {
                const Image shot = grab_screen(display_->x(), c);
                std::string wrong = compare_magnified_where(
                    shot, view, pattern_screen(kScreenWidth, kScreenHeight),
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
    desktop_->key(std::vector<std::string>(5, "KP_Subtract"));
    ASSERT_TRUE(shows_caption("Magnifier [3:1]"));
    EXPECT_TRUE(shows_magnified(kFarCursor, 3));
}

TEST_F(MagnifierUnderWine, ArrowKeysMoveThePointerByOneAndWithShiftByTen) {
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    desktop_->move_mouse(kFarCursor);
    desktop_->activate(window_);
    desktop_->key({"Right", "Down"});
    EXPECT_TRUE(wait_until([&] { return desktop_->mouse() == Point{kFarCursor.x + 1, kFarCursor.y + 1}; }, kTimeout))
        << to_string(desktop_->mouse());
    desktop_->key({"shift+Left", "shift+Up", "shift+Up"});
    EXPECT_TRUE(wait_until([&] { return desktop_->mouse() == Point{kFarCursor.x - 9, kFarCursor.y - 19}; }, kTimeout))
        << to_string(desktop_->mouse());
}

TEST_F(MagnifierUnderWine, CtrlSSavesTheViewThroughTheSaveDialogAsAPngOfItsPixels) {
    const TempDir folder("magnifier-wine-save");
    const std::filesystem::path path = folder.path() / "view.png";
    start();
    ASSERT_TRUE(shows_caption("Magnifier [2:1]"));
    moveAway();
    ASSERT_TRUE(shows_magnified(kFarCursor, 2));
    desktop_->activate(window_);
    desktop_->key({"ctrl+s"});
    const auto dialog = wait_for_value([&] { return desktop_->find_windows("^Save the view"); },
                                       [](const std::vector<WindowId>& w) { return w.size() == 1; }, 30000ms, 200ms);
    ASSERT_TRUE(dialog.ok) << "no save dialog; " << describe();
    desktop_->activate(dialog.last.front());
    std::string windowsPath = "Z:" + path.string();
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    desktop_->key({"ctrl+a"});
    run_checked({"xdotool", "type", "--delay", "20", windowsPath}, desktop_->env());
    desktop_->key({"Return"});
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(path) && std::filesystem::file_size(path) > 8; },
                           kTimeout))
        << describe();
    const Image image = decode_png(read_file(path));
    const Rect c = desktop_->client_geometry(window_);
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    EXPECT_EQ(compare_magnified(image, Magnification{kFarCursor, c.width, c.height, 2},
                                pattern_screen(kScreenWidth, kScreenHeight), 0),
              "");
}

}  // namespace
}  // namespace e2e
