// The magnifier on a Wayland desktop: native Wayland windows showing the unique pattern over
// every monitor, read back through the screen-cast portal and PipeWire. Runs inside rig.sh (or
// rig-kde.sh for the KdeDesktop cases),
// which provides the compositor, the portal and the buses, with the monitors and scale that
// RIG_MONITORS and RIG_SCALE ask for; the share dialog is answered and the pointer moved through
// the compositor's remote-desktop seat (magnifier_rig_driver).

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "harness/Desktop.h"
#include "harness/Process.h"
#include "harness/RegFile.h"
#include "harness/Screen.h"
#include "harness/TempDir.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"
#include "rig/Seat.h"

namespace e2e {
namespace {

constexpr int kHintRows = 20;
// At a fractional scale the pattern is painted in blocks of this many logical pixels.
constexpr int kBlock = 32;
constexpr auto kTimeout = std::chrono::milliseconds(10000);
constexpr auto kRecovery = std::chrono::milliseconds(30000);

std::string env_or(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// The monitors' real sizes, side by side from the left, as the rig made them.
std::vector<Point> rig_monitors() {
    std::vector<Point> sizes;
    std::istringstream in(env_or("RIG_MONITORS", "1280x720"));
    for (std::string size; in >> size;) {
        sizes.push_back({std::stoi(size.substr(0, size.find('x'))), std::stoi(size.substr(size.find('x') + 1))});
    }
    return sizes;
}

// Light pixels in the rows [top, bottom) of the view: the notices' white letters over a view that
// is black there.
long long light_pixels(const Image& view, int top, int bottom) {
    long long light = 0;
    for (int y = top; y < std::min(bottom, view.height); ++y) {
        for (int x = 0; x < view.width; ++x) {
            const std::uint32_t p = view.at(x, y);
            light += (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) > 0xC0 && (p & 0xFF) > 0xC0;
        }
    }
    return light;
}

class WaylandDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            const char* wayland = std::getenv("WAYLAND_DISPLAY");
            const char* x11 = std::getenv("DISPLAY");
            if (wayland == nullptr || x11 == nullptr) throw std::runtime_error("not inside the Wayland rig (rig.sh)");
            x_ = open_display(x11, kTimeout);
            seat_ = std::make_unique<Seat>();
            // Mutter makes the seat's keyboard and pointer on first use only.
            seat_->move({100, 100});
            seat_->key(kShift);
            const double scale = std::stod(env_or("RIG_SCALE", "1"));
            const std::vector<Point> monitors = rig_monitors();
            for (std::size_t i = 0; i < monitors.size(); ++i) {
                std::vector<std::string> command{PATTERN_EXE, "--screen", std::to_string(i)};
                if (scale != 1) command.push_back("--scaled");
                if (kBlock > 0 && scale != std::floor(scale)) {
                    command.insert(command.end(), {"--blocks", std::to_string(kBlock)});
                }
                Process& pattern = patterns_.emplace_back(
                    SpawnOptions{command, {{"QT_QPA_PLATFORM", "wayland"}}, Stream::Capture, Stream::Capture, {}});
                // Blocks are painted in the window's own, logical, pixels.
                const double size_scale = command.back() == std::to_string(kBlock) ? scale : 1.0;
                const std::string expected = "shown " + std::to_string(std::lround(monitors[i].x / size_scale)) + "x" +
                                             std::to_string(std::lround(monitors[i].y / size_scale));
                if (!wait_until([&] { return pattern.stdout_text().find(expected) != std::string::npos; }, kTimeout)) {
                    throw std::runtime_error("the pattern window did not fill monitor " + std::to_string(i) + ": " +
                                             pattern.stdout_text() + pattern.stderr_text());
                }
                screen_width_ += monitors[i].x;
                screen_height_ = std::max(screen_height_, monitors[i].y);
            }
        } catch (const std::exception& error) {
            setup_error_ = error.what();
        }
    }
    static void TearDownTestSuite() {
        restarted_.clear();
        patterns_.clear();
        seat_.reset();
        x_.reset();
    }
    void SetUp() override { ASSERT_TRUE(setup_error_.empty()) << setup_error_; }
    void TearDown() override { magnifier_.reset(); }

    // Settings that put the window in the bottom right corner, away from the magnified parts.
    static void write_settings(const std::filesystem::path& config, int zoom, const std::string& extra = "") {
        write_file(config / "Orlenda" / "registry.reg",
                   "REGEDIT4\n\n[" + kMagnifierKey + "]\n" + word_line("Zoom", zoom) + "\n" +
                       word_line("WindowLeft", 860) + "\n" + word_line("WindowTop", 400) + "\n" +
                       word_line("WindowWidth", 400) + "\n" + word_line("WindowHeight", 300) + "\n" + extra);
    }

    void start(const std::filesystem::path& config) {
        magnifier_.emplace(SpawnOptions{
            {MAGNIFIER_EXE}, {{"XDG_CONFIG_HOME", config.string()}, {"MAGNIFIER_CAPTURE", std::nullopt}},
            Stream::Discard, Stream::Capture, {}});
    }

    // Starts with no token, so the share dialog shows; the window once the dialog is up.
    WindowId start_asking(const std::filesystem::path& config, int zoom) {
        write_settings(config, zoom);
        DialogWatch dialog;
        start(config);
        const WindowId window = wait_for_window();
        if (!dialog.wait_for_dialog(kTimeout)) throw std::runtime_error("no share dialog: " + magnifier_->stderr_text());
        return window;
    }

    WindowId wait_for_window() {
        std::vector<WindowId> found;
        wait_until([&] { return !(found = desktop_.find_windows(magnifier_->pid(), "^Magnifier|^Nagy")).empty() ||
                                !magnifier_->running(); },
                   kTimeout, std::chrono::milliseconds(20));
        if (found.size() != 1) throw std::runtime_error("no magnifier window; stderr: " + magnifier_->stderr_text());
        return found.front();
    }

    // Makes every monitor change a little: mutter sends a shared monitor's first picture only
    // with a change on it, and a quiet monitor may have sent none yet.
    static void poke_monitors() {
        for (Process& pattern : patterns_) ::kill(pattern.pid(), SIGUSR1);
    }

    Image grab(WindowId window) {
        const Rect client = desktop_.client_geometry(window);
        return grab_window(x_.get(), window, {0, 0, client.width, client.height});
    }

    // Waits until the view shows the monitors magnified around the pointer; "" when it does.
    // `answer`: keys for the share dialog, sent again every few seconds while the view is not
    // right, in case the dialog missed them.
    std::string wait_for_view(WindowId window, Point pointer, int zoom, const std::vector<std::string>& answer = {},
                              std::chrono::milliseconds timeout = kTimeout) {
        std::string mismatch;
        auto next_answer = std::chrono::steady_clock::now();
        auto next_poke = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        wait_until(
            [&] {
                if (!answer.empty() && std::chrono::steady_clock::now() >= next_answer) {
                    for (const std::string& keys : answer) seat_->key(keys);
                    next_answer += std::chrono::milliseconds(3000);
                }
                if (std::chrono::steady_clock::now() >= next_poke) {
                    poke_monitors();
                    // Mutter may drop the last of quick moves from the cursor metadata; a mouse
                    // would send the next one, so the seat does.
                    seat_->move({pointer.x + 1, pointer.y});
                    seat_->move(pointer);
                    next_poke += std::chrono::milliseconds(1500);
                }
                const Image view = grab(window);
                mismatch = compare_magnified(view, Magnification{pointer, view.width, view.height, zoom},
                                             pattern_screen(screen_width_, screen_height_), kHintRows);
                return mismatch.empty();
            },
            timeout, std::chrono::milliseconds(50));
        return mismatch;
    }

    // Waits until the top of the view shows a notice of at least `lines` lines; the light
    // pixels of each line band when it does, empty when not.
    std::vector<long long> wait_for_notice(WindowId window, int lines, std::chrono::milliseconds timeout = kTimeout) {
        std::vector<long long> bands;
        wait_until(
            [&] {
                const Image view = grab(window);
                bands = {light_pixels(view, 0, 15), light_pixels(view, 15, 29), light_pixels(view, 29, 43)};
                return std::count_if(bands.begin(), bands.end(), [](long long n) { return n > 50; }) >= lines;
            },
            timeout, std::chrono::milliseconds(50));
        if (std::count_if(bands.begin(), bands.end(), [](long long n) { return n > 50; }) < lines) return {};
        return bands;
    }

    // Kills one of the rig's services (or the one this suite started in its place), runs
    // `meanwhile`, and starts it again, kept until the suite ends.
    static void restart_service(const std::string& name, const std::vector<std::string>& command,
                                const std::function<void()>& meanwhile) {
        std::optional<Process>& own = restarted_[name];
        pid_t pid = own ? own->pid() : 0;
        if (pid == 0) std::ifstream(env_or("RIG_DIR", "") + "/" + name + ".pid") >> pid;
        ASSERT_GT(pid, 0) << "no PID for " << name;
        ::kill(pid, SIGKILL);
        wait_until([&] { return ::kill(pid, 0) != 0 || (own && !own->running()); }, kTimeout);
        meanwhile();
        own.reset();
        own.emplace(SpawnOptions{command, {}, Stream::Discard, Stream::Discard, {}});
    }

    std::string stored_token(const std::filesystem::path& config) {
        const std::optional<std::string> token =
            RegFile::parse(read_file(config / "Orlenda" / "registry.reg")).raw(kMagnifierKey, "ScreenCastRestoreToken");
        return token.value_or("");
    }

    static inline XDisplayPtr x_;
    static inline std::unique_ptr<Seat> seat_;
    static inline std::vector<Process> patterns_;
    // Services of the rig a test stopped and started again, by name.
    static inline std::map<std::string, std::optional<Process>> restarted_;
    static inline int screen_width_ = 0;
    static inline int screen_height_ = 0;
    static inline std::string setup_error_;
    Desktop desktop_{EnvOverrides{}};
    std::optional<Process> magnifier_;
};

// Tab selects the monitor in the share dialog, Alt+S shares it.
const std::vector<std::string> kShareFirstMonitor = {kTab, kAltS};
// Tab selects the first monitor; Ctrl+Down moves to the next without changing the selection,
// and Ctrl+Space adds it.
const std::vector<std::string> kShareBothMonitors = {kTab, "0xffe3+0xff54", "0xffe3+0x20", kAltS};

TEST_F(WaylandDesktop, ShowsAtOnceWhileAskingThenMagnifiesTheSharedMonitorAndRestoresTheShareNextTime) {
    TempDir config("magnifier-wayland-config");
    write_settings(config.path(), 2);
    DialogWatch dialog;
    const auto started = std::chrono::steady_clock::now();
    start(config.path());
    WindowId window = wait_for_window();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000));
    ASSERT_TRUE(dialog.wait_for_dialog(kTimeout)) << magnifier_->stderr_text();
    // While the dialog waits for the user, the X11 view says what it waits for.
    EXPECT_FALSE(wait_for_notice(window, 1).empty()) << "no notice while the dialog is open";
    EXPECT_TRUE(magnifier_->running());

    seat_->move({200, 150});
    EXPECT_EQ(wait_for_view(window, {200, 150}, 2, kShareFirstMonitor), "") << magnifier_->stderr_text();
    const std::string token = stored_token(config.path());
    ASSERT_FALSE(token.empty()) << "no restore token stored";
    EXPECT_EQ(token.front(), '"') << "the token is not a string value: " << token;
    seat_->move({420, 333});  // the view follows the pointer
    EXPECT_EQ(wait_for_view(window, {420, 333}, 2), "");
    magnifier_.reset();

    // The second start shares the same monitor without a dialog: nobody answers one here.
    write_settings(config.path(), 3, "\"ScreenCastRestoreToken\"=" + token + "\n");
    start(config.path());
    window = wait_for_window();
    seat_->move({301, 207});
    EXPECT_EQ(wait_for_view(window, {301, 207}, 3), "");
    // Beyond the monitor's edges the view is black.
    seat_->move({3, 2});
    EXPECT_EQ(wait_for_view(window, {3, 2}, 3), "");
    seat_->move({screen_width_ - 2, 40});
    EXPECT_EQ(wait_for_view(window, {screen_width_ - 2, 40}, 3), "");
    EXPECT_EQ(magnifier_->stderr_text(), "");
}

TEST_F(WaylandDesktop, SharingThatEndsIsSaidShownAndAskedForAgain) {
    TempDir config("magnifier-wayland-config");
    const WindowId window = start_asking(config.path(), 2);
    seat_->move({250, 180});
    ASSERT_EQ(wait_for_view(window, {250, 180}, 2, kShareFirstMonitor), "");

    // The user stops the sharing from the desktop: one line, a notice, and the stored token
    // brings the sharing back without a dialog.
    seat_->send("stop-sharing");
    EXPECT_FALSE(wait_for_notice(window, 1).empty()) << "no notice after the sharing ended";
    EXPECT_EQ(wait_for_view(window, {250, 180}, 2, {}, kRecovery), "");
    EXPECT_EQ(magnifier_->stderr_text(),
              "magnifier: the screen sharing ended (the shared monitor's stream was stopped); showing the X11 screen "
              "until it is shared again\nmagnifier: the screen is shared again\n");

    // The desktop's portal back end goes away, and comes back; then PipeWire does.
    restart_service("portal-gnome", {"env", "-u", "GDK_BACKEND", "/usr/libexec/xdg-desktop-portal-gnome", "--replace"}, [&] {
        EXPECT_FALSE(wait_for_notice(window, 1).empty()) << "no notice after the portal's back end went away";
    });
    seat_->move({330, 240});
    EXPECT_EQ(wait_for_view(window, {330, 240}, 2, {}, kRecovery), "") << magnifier_->stderr_text();
    restart_service("wireplumber", {"wireplumber"}, [] {});
    restart_service("pipewire", {"pipewire"}, [&] {
        EXPECT_FALSE(wait_for_notice(window, 1).empty()) << "no notice after PipeWire went away";
    });
    restart_service("wireplumber", {"wireplumber"}, [] {});
    // The seat's own session streamed through the PipeWire that went: it needs a new one.
    seat_.reset();
    seat_ = std::make_unique<Seat>();
    seat_->key(kShift);  // mutter makes the new seat's keyboard on first use
    seat_->move({340, 250});
    EXPECT_EQ(wait_for_view(window, {340, 250}, 2, {}, kRecovery), "") << magnifier_->stderr_text();
    EXPECT_TRUE(magnifier_->running());
}

TEST_F(WaylandDesktop, RefusedShareKeepsTheX11ViewWithANoticeInTheUsersLanguage) {
    std::vector<long long> bands[2];
    for (int language : {1, 0}) {
        TempDir config("magnifier-wayland-config");
        write_settings(config.path(), 2);
        write_file(config.path() / "Orlenda" / "registry.reg",
                   read_file(config.path() / "Orlenda" / "registry.reg") + "\n[" + kOrlendaKey + "]\n" +
                       word_line("Language", language) + "\n");
        DialogWatch dialog;
        start(config.path());
        const WindowId window = wait_for_window();
        ASSERT_TRUE(dialog.wait_for_dialog(kTimeout));
        seat_->key(kEscape);
        EXPECT_TRUE(wait_until([&] { return magnifier_->stderr_text().find('\n') != std::string::npos; }, kTimeout));
        EXPECT_EQ(magnifier_->stderr_text(),
                  "magnifier: screen sharing was cancelled; reading the X11 screen instead, which shows only X11 "
                  "windows\n");
        // The Hungarian text needs two lines of the 400-pixel view, the English one one.
        bands[language] = wait_for_notice(window, language == 0 ? 2 : 1);
        EXPECT_FALSE(bands[language].empty()) << "no notice in language " << language;
        EXPECT_TRUE(magnifier_->running());
        magnifier_.reset();
    }
    EXPECT_NE(bands[0], bands[1]);
}

// Two monitors side by side (RIG_MONITORS="1280x720 1280x720").
using WaylandTwoMonitors = WaylandDesktop;

TEST_F(WaylandTwoMonitors, OneSharedShowsBlackWithANoticeOnTheOtherAndSaysSoOnce) {
    TempDir config("magnifier-wayland-config");
    const WindowId window = start_asking(config.path(), 2);
    // Tab and Alt+S share the monitor listed first, the left one.
    const std::string covers = "magnifier: the screen sharing covers 1 of the 2 monitors; the view shows black on the others\n";
    auto next_answer = std::chrono::steady_clock::now();
    ASSERT_TRUE(wait_until([&] {
        if (std::chrono::steady_clock::now() >= next_answer) {
            for (const std::string& keys : kShareFirstMonitor) seat_->key(keys);
            next_answer += std::chrono::milliseconds(3000);
        }
        return magnifier_->stderr_text() == covers;
    }, std::chrono::milliseconds(20000))) << magnifier_->stderr_text();

    const int left_width = rig_monitors().front().x;
    const ScreenModel left_only = [&, whole = pattern_screen(screen_width_, screen_height_)](int x, int y) {
        return x < left_width ? whole(x, y) : 0u;
    };
    std::string mismatch;
    seat_->move({200, 150});
    auto next_poke = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    wait_until([&] {
        if (std::chrono::steady_clock::now() >= next_poke) {
            poke_monitors();
            seat_->move({201, 150});
            seat_->move({200, 150});
            next_poke += std::chrono::milliseconds(1500);
        }
        const Image view = grab(window);
        mismatch = compare_magnified(view, Magnification{{200, 150}, view.width, view.height, 2}, left_only, kHintRows);
        return mismatch.empty();
    }, kTimeout, std::chrono::milliseconds(50));
    EXPECT_EQ(mismatch, "");
    // On the monitor nobody shared: black, and a notice says why.
    seat_->move({left_width + 200, 150});
    const ScreenModel black = [](int, int) { return 0u; };
    wait_until([&] {
        const Image view = grab(window);
        mismatch = compare_magnified_where(view, Magnification{{left_width + 200, 150}, view.width, view.height, 2}, black,
                                           [](int, int y) { return y >= 45 && y < 200; }, 1000);
        return mismatch.empty();
    }, kTimeout, std::chrono::milliseconds(50));
    EXPECT_EQ(mismatch, "");
    EXPECT_FALSE(wait_for_notice(window, 1).empty());
    // Back across the edge, as a mouse goes: the view follows the shared monitor again.
    for (int x = left_width + 100; x > 200; x -= 50) seat_->move({x, 160});
    seat_->move({200, 160});
    EXPECT_EQ(wait_for_view(window, {200, 160}, 2), "");
    EXPECT_EQ(magnifier_->stderr_text(), covers);
}

TEST_F(WaylandTwoMonitors, BothSharedAreExactAcrossTheirBoundary) {
    TempDir config("magnifier-wayland-config");
    const WindowId window = start_asking(config.path(), 3);
    const int left_width = rig_monitors().front().x;
    seat_->move({left_width - 20, 300});
    EXPECT_EQ(wait_for_view(window, {left_width - 20, 300}, 3, kShareBothMonitors, std::chrono::milliseconds(20000)), "")
        << magnifier_->stderr_text();
    seat_->move({left_width + 15, 200});
    EXPECT_EQ(wait_for_view(window, {left_width + 15, 200}, 3), "");
    EXPECT_EQ(magnifier_->stderr_text(), "");
}

// One monitor at a fractional scale in a logical layout (RIG_SCALE=1.5), painted in blocks.
using WaylandFractional = WaylandDesktop;

TEST_F(WaylandFractional, TheViewFollowsThePointerOverTheWholeScaledMonitor) {
    TempDir config("magnifier-wayland-config");
    const WindowId window = start_asking(config.path(), 2);
    const double scale = std::stod(env_or("RIG_SCALE", "1"));
    // The centres of blocks near three corners (the window covers the fourth) and in the middle,
    // in real pixels: the far ones lie beyond the monitor's logical size.
    const int columns = static_cast<int>(screen_width_ / scale) / kBlock;
    const int rows = static_cast<int>(screen_height_ / scale) / kBlock;
    bool answered = false;
    for (const Point block : {Point{2, 2}, Point{columns - 2, 2}, Point{columns / 2, rows / 3}, Point{3, rows - 2}}) {
        const Point pointer{static_cast<int>(std::lround((block.x * kBlock + kBlock / 2) * scale)),
                            static_cast<int>(std::lround((block.y * kBlock + kBlock / 2) * scale))};
        seat_->move(pointer);
        const std::uint32_t expected = UniquePattern::colour(block.x, block.y);
        std::uint32_t centre = 0;
        auto next_answer = std::chrono::steady_clock::now();
        const bool shown = wait_until([&] {
            if (!answered && std::chrono::steady_clock::now() >= next_answer) {
                for (const std::string& keys : kShareFirstMonitor) seat_->key(keys);
                next_answer += std::chrono::milliseconds(3000);
            }
            const Image view = grab(window);
            centre = view.at(view.width / 2, view.height / 2);
            return centre == expected;
        }, std::chrono::milliseconds(20000), std::chrono::milliseconds(50));
        answered = true;
        EXPECT_TRUE(shown) << "pointer " << to_string(pointer) << ": the view's centre is " << hex_colour(centre)
                           << ", block " << to_string(block) << " is " << hex_colour(expected) << "; "
                           << magnifier_->stderr_text();
    }
}

// KDE Plasma: headless KWin and the KDE portal (rig-kde.sh), the seat KWin's fake input
// (RIG_DRIVER=magnifier_kde_rig_driver).
class KdeDesktop : public WaylandDesktop {
protected:
    // The share dialog, centred on the monitor, lists cards no key can reach: first one offering
    // a new virtual output, then the monitor, whose card spans about 10 to 225 pixels right of
    // the middle and 150 above to 95 below it. A click checks the card; then Share, about 120
    // right of and 245 below the middle, is enabled.
    static constexpr Point kMonitorCard{1280 / 2 + 120, 720 / 2};
    static constexpr Point kShareButton{1280 / 2 + 118, 720 / 2 + 247};

    // Starts the magnifier and shares the monitor through the dialog. Clicks that come before the
    // dialog is mapped miss it; then it stays open with the card unchecked, and they are tried
    // again. Share is clicked rather than Return pressed: a lost key after a checking click would
    // make the next try uncheck the card.
    WindowId start_and_share(const std::filesystem::path& config, int zoom) {
        write_settings(config, zoom);
        DialogWatch dialog;
        start(config);
        const WindowId window = wait_for_window();
        if (!dialog.wait_for_dialog(kTimeout)) throw std::runtime_error("no share dialog: " + magnifier_->stderr_text());
        const bool answered = wait_until(
            [&] {
                seat_->click(kMonitorCard);
                seat_->click(kShareButton);
                return wait_until([&] { return dialog.response().has_value(); }, std::chrono::milliseconds(4000));
            },
            std::chrono::milliseconds(30000));
        if (!answered) throw std::runtime_error("the share dialog was not answered");
        if (dialog.response() != 0u) throw std::runtime_error("the share was not granted: " + magnifier_->stderr_text());
        return window;
    }
};

TEST_F(KdeDesktop, SharesTheMonitorThroughTheDialogAndRestoresTheShareWithoutOne) {
    TempDir config("magnifier-kde-config");
    start_and_share(config.path(), 2);
    std::string token;
    wait_until([&] { return !(token = stored_token(config.path())).empty(); }, kTimeout);
    ASSERT_FALSE(token.empty()) << "no restore token stored; stderr: " << magnifier_->stderr_text();
    EXPECT_EQ(token.front(), '"') << "the token is not a string value: " << token;
    magnifier_.reset();

    // Nobody answers now: the back end shares the same monitor at once when the token is valid.
    DialogWatch restored;
    write_settings(config.path(), 3, "\"ScreenCastRestoreToken\"=" + token + "\n");
    start(config.path());
    EXPECT_TRUE(wait_until([&] { return restored.response().has_value(); }, kTimeout)) << "the restored share asked again";
    EXPECT_EQ(restored.response(), 0u);
}

TEST_F(KdeDesktop, MagnifiesTheSharedMonitor) {
    TempDir config("magnifier-kde-config");
    const WindowId window = start_and_share(config.path(), 2);
    for (const Point pointer : {Point{200, 150}, Point{420, 333}, Point{screen_width_ - 2, 40}}) {
        seat_->move(pointer);
        EXPECT_EQ(wait_for_view(window, pointer, 2), "");
    }
    EXPECT_EQ(magnifier_->stderr_text(), "");
}

}  // namespace
}  // namespace e2e
